#pragma once

#include "core/documents/KnownCertDocument.h"
#include "core/documents/VariablesDocument.h"
#include "core/models/RowModel.h"

#include <array>

namespace sw {

// The columns of the variable list, in the order of the document's attributes. Enable, ReadOnly,
// Swap and SwapWord are check boxes held as "Y"/"N" text.
inline constexpr std::array<RowColumn<VariableRow>, 12> VariableColumns = { {
    { CellKind::TextCheck, &VariableRow::Enable },
    { CellKind::Text, &VariableRow::Name },
    { CellKind::Text, &VariableRow::Type },
    { CellKind::Text, &VariableRow::Length },
    { CellKind::TextCheck, &VariableRow::ReadOnly },
    { CellKind::Text, &VariableRow::Position },
    { CellKind::Text, &VariableRow::StartBit },
    { CellKind::Text, &VariableRow::Conversion },
    { CellKind::Text, &VariableRow::MultiplicationFactor },
    { CellKind::TextCheck, &VariableRow::Swap },
    { CellKind::TextCheck, &VariableRow::SwapWord },
    { CellKind::Text, &VariableRow::Mnemonic },
} };

// The columns of the known certificate list: Enable is a check box of its own.
inline constexpr std::array<RowColumn<KnownCertRow>, 3> KnownCertColumns = { {
    { CellKind::StateCheck, nullptr, &KnownCertRow::Enable },
    { CellKind::Text, &KnownCertRow::Certificate },
    { CellKind::Text, &KnownCertRow::Mnemonic },
} };

using VariableModel = RowModel<VariableRow>;
using KnownCertModel = RowModel<KnownCertRow>;

} // namespace sw
