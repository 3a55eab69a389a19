#include "ui/documents/UTLS_Server_Known_Cert.h"

#include "core/ProgramValues.h"
#include "core/checks/CertificateInspection.h"
#include "core/documents/KnownCertDocument.h"
#include "core/text/MessageIds.h"
#include "ui/Clock.h"
#include "ui/Services.h"
#include "ui/widgets/CellEditors.h"
#include "ui/widgets/FindingMarks.h"
#include "ui/widgets/ListTable.h"

#include <QColor>
#include <QHeaderView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextDocument>

#include <algorithm>
#include <optional>

namespace sw {

namespace {

// Where the known certificates lies, how it is read and written, and which rows it stores.
const ListDocumentAccess<KnownCertRow> KnownCertDocumentAccess { &ProgramValues::File_TLS_Known_Cert, readKnownCertFile,
    writeKnownCertFile, cutAtBlankCertificate };

constexpr int ClientWidth = 800;
constexpr int ClientHeight = 337;
constexpr int RowHeight = 60;
// Text lines that the certificate editor shows, more than its cell has room for.
constexpr int EditorLines = 12;

// How `text` ends its lines, going by its first line break: CR LF, CR or LF; nothing without one.
std::optional<QString> lineBreakOf(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n')
            return QStringLiteral("\n");
        if (text[i] == u'\r')
            return i + 1 < text.size() && text[i + 1] == u'\n' ? QStringLiteral("\r\n") : QStringLiteral("\r");
    }
    return std::nullopt;
}

// The multi-line editor of a certificate. It remembers how its text ends lines, as loaded or as
// last pasted, because the text document behind it keeps no line ends of its own.
class CertificateEdit final : public QPlainTextEdit
{
public:
    using QPlainTextEdit::QPlainTextEdit;

    QString lineBreak = QStringLiteral("\n");
    void takeLineBreakOf(const QString &text)
    {
        if (const std::optional<QString> found = lineBreakOf(text))
            lineBreak = *found;
    }

protected:
    void insertFromMimeData(const QMimeData *source) override
    {
        if (source->hasText())
            takeLineBreakOf(source->text());
        QPlainTextEdit::insertFromMimeData(source);
    }
};

// Certificates are pasted whole and stored exactly as entered: a block pasted with CR LF line ends
// keeps them, and lines typed into it end the same way. The editor opens taller than its cell so
// that a good part of a certificate shows while it is edited.
class CertificateDelegate final : public MultiLineDelegate
{
public:
    using MultiLineDelegate::MultiLineDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        auto *editor = new CertificateEdit(parent);
        editor->setLineWrapMode(QPlainTextEdit::NoWrap);
        return editor;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        MultiLineDelegate::setEditorData(editor, index);
        static_cast<CertificateEdit *>(editor)->takeLineBreakOf(index.data(Qt::EditRole).toString());
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        const auto *edit = static_cast<CertificateEdit *>(editor);
        const QTextDocument *document = edit->document();
        if (!document->isModified())
            return; // a text left alone keeps its line ends, mixed ones included
        QString text = document->toRawText();
        text.replace(QChar::ParagraphSeparator, edit->lineBreak);
        text.replace(QChar::LineSeparator, edit->lineBreak);
        model->setData(index, text, Qt::EditRole);
    }

    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        const QRect area = editor->parentWidget()->rect();
        const auto *edit = static_cast<CertificateEdit *>(editor);
        const int wanted = edit->fontMetrics().lineSpacing() * EditorLines + 2 * edit->frameWidth()
            + 2 * int(edit->document()->documentMargin());
        QRect r = option.rect;
        r.setHeight(std::max(r.height(), std::min(wanted, area.height())));
        if (r.bottom() > area.bottom())
            r.moveBottom(area.bottom());
        if (r.top() < area.top())
            r.moveTop(area.top());
        editor->setGeometry(r);
    }

    // A CR shows as the line break it is, not as a stray character.
    QString displayText(const QVariant &value, const QLocale &locale) const override
    {
        QString text = value.toString();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        return MultiLineDelegate::displayText(text, locale);
    }
};

} // namespace

// One column of the table: its catalogue texts and how its cells are edited and shown.
struct TFTLS_Server_Known_Cert::Column
{
    MakeEditor editor;
    int header;
    int hint;
    int width;
    QRgb background;
    Qt::Alignment alignment;
};

TFTLS_Server_Known_Cert::TFTLS_Server_Known_Cert(ProgramValues &values, Services &svc, QWidget *parent)
    : ListEditorOf(
        values, svc, CheckBoxes::AsState, KnownCertDocumentAccess, KnownCertColumns, KnownCertListCapacity, parent)
{
    FormCreate();
}

void TFTLS_Server_Known_Cert::FormCreate()
{
    setObjectName(QStringLiteral("TFTLS_Server_Known_Cert"));
    Init_Table();

    layOutList(ASG,
        ListEditorTexts::fromBlock(
            MsgId::KnownCertCaption, MsgId::KnownCertRowNumber, MsgId::KnownCertDeleteRowQuestion),
        columnTexts(columns()), false);

    resize(ClientWidth, ClientHeight);
    Set_Lang();
}

void TFTLS_Server_Known_Cert::Init_Table()
{
    const std::span<const Column> all = columns();
    ASG = makeTable("ASG", rowModel(), all, RowHeight);
    for (int c = 0; c < int(all.size()); ++c) {
        rowModel()->setColumnData(c, Qt::BackgroundRole, QBrush(QColor(all[size_t(c)].background)));
        rowModel()->setColumnData(c, Qt::TextAlignmentRole, QVariant::fromValue(all[size_t(c)].alignment));
    }
}

// The columns after the row numbers, in the order of KnownCertColumns.
std::span<const TFTLS_Server_Known_Cert::Column> TFTLS_Server_Known_Cert::columns()
{
    using namespace MsgId;
    // clang-format off
    static const Column table[] = {
        { cellEditor<CellCheckDelegate>,   KnownCertEnable,      KnownCertHintEnable,      50,  qRgb(255, 216, 176),
          Qt::AlignCenter },
        // Top-aligned: a certificate's first line says what it is.
        { cellEditor<CertificateDelegate>, KnownCertCertificate, KnownCertHintCertificate, 500, qRgb(224, 250, 254),
          Qt::AlignLeft | Qt::AlignTop },
        { cellEditor<TextDelegate>,        KnownCertMnemonic,    KnownCertHintMnemonic,    160, qRgb(255, 255, 255),
          Qt::AlignLeft | Qt::AlignVCenter },
    };
    // clang-format on
    static_assert(std::size(table) == KnownCertColumns.size());
    return table;
}

void TFTLS_Server_Known_Cert::refreshMarks(int firstRow, int lastRow)
{
    const int certificateColumn = rowModel()->columnOf(&KnownCertRow::Certificate);
    const QColor plain(columns()[size_t(certificateColumn)].background);
    for (int row = std::max(firstRow, 0); row <= lastRow && row < ASG->rowCount(); ++row) {
        const KnownCertRow shown = rowModel()->row(row);

        // A disabled row is left out of the image: its certificate is described but not marked.
        const QString &pem = shown.Certificate;
        // Certificates hold no key to derive: reading one is quick, so the marks follow at once.
        const TlsInspection inspection = inspectTls(
            ParGenValues {}, { KnownCertRow { true, pem, {} } }, services.clock->nowUtc(), pv.Msg_Catalogue);
        const QList<Finding> findings = shown.Enable ? inspection.findings : QList<Finding>();

        // The summary comes first; the whole text, which the table shows for a text over several
        // lines or cut short, follows it. A blank cell keeps the table's own tooltip.
        QString tip;
        if (!pem.trimmed().isEmpty()) {
            tip = certificateTip(QString(), inspection.known.value(0), findings, pv.Msg_Catalogue);
            QString whole = ASG->cellToolTip(row, certificateColumn);
            whole.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
            if (!whole.trimmed().isEmpty())
                tip += QStringLiteral("\n\n") + whole.trimmed();
        }
        markCell(rowModel(), rowModel()->index(row, certificateColumn), markOf(findings), tip, plain);
    }
}

} // namespace sw
