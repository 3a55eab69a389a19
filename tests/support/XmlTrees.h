#pragma once

#include <QString>
#include <cstring>
#include <pugixml.hpp>
#include <utility>
#include <vector>

namespace sw::test {

// The first difference between two pugixml trees, node by node in document order: type, name,
// value, attributes in order, and where children and siblings end. Empty when they are the same.
// Walks without recursion, so deep trees are fine.
inline QString treeDifference(pugi::xml_node a, pugi::xml_node b)
{
    const auto same = [](const char *x, const char *y) { return std::strcmp(x, y) == 0; };
    const auto where = [](pugi::xml_node n) { return QString::fromUtf8(n.path().c_str()); };
    std::vector<std::pair<pugi::xml_node, pugi::xml_node>> pending { { a, b } };
    while (!pending.empty()) {
        auto [x, y] = pending.back();
        pending.pop_back();
        if (!x || !y) {
            if (x || y)
                return QStringLiteral("one tree has a node more after %1").arg(where(x ? x : y));
            continue;
        }
        if (x.type() != y.type() || !same(x.name(), y.name()) || !same(x.value(), y.value()))
            return QStringLiteral("%1: type %2 name \"%3\" value \"%4\" against type %5 name \"%6\" value \"%7\"")
                .arg(where(x))
                .arg(int(x.type()))
                .arg(QString::fromUtf8(x.name()), QString::fromUtf8(x.value()))
                .arg(int(y.type()))
                .arg(QString::fromUtf8(y.name()), QString::fromUtf8(y.value()));
        pugi::xml_attribute xa = x.first_attribute();
        pugi::xml_attribute ya = y.first_attribute();
        for (; xa && ya; xa = xa.next_attribute(), ya = ya.next_attribute()) {
            if (!same(xa.name(), ya.name()) || !same(xa.value(), ya.value()))
                return QStringLiteral("%1: attribute %2=\"%3\" against %4=\"%5\"")
                    .arg(where(x), QString::fromUtf8(xa.name()), QString::fromUtf8(xa.value()),
                        QString::fromUtf8(ya.name()), QString::fromUtf8(ya.value()));
        }
        if (xa || ya)
            return QStringLiteral("%1: one has an attribute more").arg(where(x));
        // The siblings of the two nodes compared are not part of the comparison.
        if (x != a)
            pending.emplace_back(x.next_sibling(), y.next_sibling());
        pending.emplace_back(x.first_child(), y.first_child());
    }
    return {};
}

} // namespace sw::test
