#include "ui/documents/UIEC61850_Variables.h"

#include "core/ErrorText.h"
#include "core/ProgramValues.h"
#include "core/checks/ConfigurationCheck.h"
#include "core/documents/VariablesCsv.h"
#include "core/files/AtomicFile.h"
#include "core/files/RegularFile.h"
#include "core/text/MessageIds.h"
#include "ui/FileChooser.h"
#include "ui/Messages.h"
#include "ui/Services.h"
#include "ui/widgets/CellEditors.h"
#include "ui/widgets/FindingMarks.h"
#include "ui/widgets/ListTable.h"
#include "ui/widgets/TableOperations.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>

#include <algorithm>

namespace sw {

namespace {

// Where the variable list lies, how it is read and written, and which rows it stores.
const ListDocumentAccess<VariableRow> VariablesDocumentAccess { &ProgramValues::File_IEC61850_Variables,
    readVariablesFile, writeVariablesFile, cutAtBlankName };

constexpr int ClientWidth = 1155;
constexpr int ClientHeight = 337;
constexpr int MinRowHeight = 24;

constexpr const char *TypeChoices[] = { "Int", "Float", "Digital (Bit)" };
constexpr const char *StartBitChoices[] = { "0", "1", "2", "3", "4", "5", "6", "7" };
constexpr const char *ConversionChoices[] = { "None", "Int to Float", "Float to Int" };
constexpr const char *FactorChoices[] = { "None" };

// A menu entry's text as a window caption: without the dots that say a dialog follows.
QString withoutEllipsis(QString text)
{
    if (text.endsWith(QStringLiteral("...")))
        text.chop(3);
    else if (text.endsWith(QChar(0x2026)))
        text.chop(1);
    return text.trimmed();
}

} // namespace

namespace {

QStringList choiceTexts(std::span<const char *const> choices)
{
    QStringList texts;
    for (const char *choice : choices)
        texts.append(QString::fromLatin1(choice));
    return texts;
}

// A drop-down list of fixed choices.
template <const auto &Choices> QStyledItemDelegate *choice(QObject *parent)
{
    return new ChoiceDelegate(choiceTexts(Choices), parent);
}

// A drop-down list that also takes typed text.
template <const auto &Choices> QStyledItemDelegate *typedChoice(QObject *parent)
{
    return new EditableChoiceDelegate(choiceTexts(Choices), parent);
}

} // namespace

// One column of ACG: its catalogue texts, how its cells are edited and the field it shows.
struct TFIEC61850_Variables::Column
{
    int header;
    int hint;
    MakeEditor editor;
    int width;
    QString VariableRow::*field;
};

// The data columns in table order, which is also the attribute order of the document. A check box
// is held as the text "Y" or "N".
std::span<const TFIEC61850_Variables::Column> TFIEC61850_Variables::columns()
{
    using namespace MsgId;
    using R = VariableRow;
    constexpr MakeEditor Check = cellEditor<CheckBoxDelegate>;
    constexpr MakeEditor Text = cellEditor<TextDelegate>;
    // clang-format off
    static const Column table[] = {
        { VariablesEnable,     VariablesHintEnable,     Check,                          50,  &R::Enable },
        { VariablesName,       VariablesHintName,       Text,                           250, &R::Name },
        { VariablesType,       VariablesHintType,       choice<TypeChoices>,            80,  &R::Type },
        { VariablesLength,     VariablesHintLength,     Text,                           65,  &R::Length },
        { VariablesReadOnly,   VariablesHintReadOnly,   Check,                          65,  &R::ReadOnly },
        { VariablesPosition,   VariablesHintPosition,   Text,                           80,  &R::Position },
        { VariablesStartBit,   VariablesHintStartBit,   choice<StartBitChoices>,        60,  &R::StartBit },
        { VariablesConversion, VariablesHintConversion, choice<ConversionChoices>,      75,  &R::Conversion },
        { VariablesFactor,     VariablesHintFactor,     typedChoice<FactorChoices>,     75,  &R::MultiplicationFactor },
        { VariablesSwap,       VariablesHintSwap,       Check,                          45,  &R::Swap },
        { VariablesSwapWord,   VariablesHintSwapWord,   Check,                          80,  &R::SwapWord },
        { VariablesMnemonic,   VariablesHintMnemonic,   Text,                           128, &R::Mnemonic },
    };
    // clang-format on
    return table;
}

TFIEC61850_Variables::TFIEC61850_Variables(ProgramValues &values, Services &services, QWidget *parent)
    : ListEditorOf(values, services, CheckBoxes::AsText, VariablesDocumentAccess, parent)
{
    FormCreate();
}

void TFIEC61850_Variables::FormCreate()
{
    // One line of text with room for a drop-down editor, so that more rows are in view.
    const int rowHeight = std::max(MinRowHeight, fontMetrics().height() + 8);
    ACG = makeTable("ACG", VariableListCapacity, columns(), rowHeight);

    layOutList(ACG,
        ListEditorTexts::fromBlock(
            MsgId::VariablesCaption, MsgId::VariablesRowNumber, MsgId::VariablesDeleteRowQuestion),
        columnTexts(columns()), true);

    // The point list commands live in the table's context menu and on the window's keys; the
    // table itself takes neither key.
    m_exportCsv = addTableAction("exportCsv", QKeySequence(Qt::CTRL | Qt::Key_E), &TFIEC61850_Variables::exportCsv);
    m_importCsv = addTableAction("importCsv", QKeySequence(Qt::CTRL | Qt::Key_I), &TFIEC61850_Variables::importCsv);
    ACG->setContextMenuPolicy(Qt::ActionsContextMenu);

    resize(ClientWidth, ClientHeight);
    changeRows([this] { showDefaultRows(); });
    Set_Lang();
}

QAction *TFIEC61850_Variables::addTableAction(
    const char *name, const QKeySequence &keys, void (TFIEC61850_Variables::*handler)())
{
    auto *action = new QAction(this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setShortcutVisibleInContextMenu(true);
    connect(action, &QAction::triggered, this, handler);
    addAction(action);
    ACG->addAction(action);
    return action;
}

void TFIEC61850_Variables::Set_Lang()
{
    ListEditor::Set_Lang();
    m_exportCsv->setText(pv.msg(MsgId::VariablesExportCsv));
    m_importCsv->setText(pv.msg(MsgId::VariablesImportCsv));
}

void TFIEC61850_Variables::FormShow()
{
    NByte_IN = InternalDataBytes;
    ListEditor::FormShow();
}

void TFIEC61850_Variables::showRows(const QList<VariableRow> &rows)
{
    const std::span<const Column> all = columns();
    for (int r = 0; r < ACG->rowCount(); ++r) {
        const VariableRow row = rows.value(r);
        for (int c = 0; c < int(all.size()); ++c)
            ACG->item(r, c)->setText(row.*all[size_t(c)].field);
    }
}

QList<VariableRow> TFIEC61850_Variables::tableRows() const
{
    const std::span<const Column> all = columns();
    QList<VariableRow> rows;
    for (int r = 0; r < ACG->rowCount(); ++r) {
        VariableRow &row = rows.emplace_back();
        for (int c = 0; c < int(all.size()); ++c)
            row.*all[size_t(c)].field = ACG->item(r, c)->text();
    }
    return rows;
}

bool TFIEC61850_Variables::Controllo_dati()
{
    const QChar separator = Get_Decimal_Separator(*services.regional);
    const std::optional<VariablesFailure> failure = firstFailingVariable(tableRows(), separator, NByte_IN);
    if (!failure)
        return true;
    // The refused cell is in view and current while the message is read.
    ACG->focusCell(failure->row - 1, failure->column - 1);
    services.messages->error(this, variablesFailureText(*failure, pv.Msg_Catalogue));
    return false;
}

QString TFIEC61850_Variables::configurationFolder() const
{
    return QFileInfo(pv.File_IEC61850_Variables).absolutePath();
}

void TFIEC61850_Variables::exportCsv()
{
    ACG->finishEdit();
    const QString proposed
        = QDir(configurationFolder())
              .filePath(QFileInfo(pv.File_IEC61850_Variables).completeBaseName() + QStringLiteral(".csv"));
    const QString path = services.files->saveFileName(this, withoutEllipsis(pv.msg(MsgId::VariablesExportCsv)),
        QDir::toNativeSeparators(proposed), pv.msg(MsgId::CsvFileFilter));
    if (path.isEmpty())
        return;
    const QByteArray csv = exportVariablesCsv(tableRows(), Get_Decimal_Separator(*services.regional));
    // Whole or not at all: a failed write (a full disk too) leaves any earlier file as it was.
    try {
        files::saveBytes(csv, path, files::Target::Chosen);
    } catch (const std::exception &e) {
        services.messages->error(this, pv.msg(MsgId::CsvCannotWrite).arg(errorText(e)));
    }
}

void TFIEC61850_Variables::importCsv()
{
    ACG->finishEdit();
    const QString path = services.files->openFileName(this, withoutEllipsis(pv.msg(MsgId::VariablesImportCsv)),
        QDir::toNativeSeparators(configurationFolder()), pv.msg(MsgId::CsvFileFilter));
    if (path.isEmpty())
        return;
    QByteArray bytes;
    try {
        bytes = files::readFileBytes(path); // a regular file only: a pipe or device could block
    } catch (const std::exception &e) {
        services.messages->error(this, pv.msg(MsgId::CsvCannotImport).arg(errorText(e)));
        return;
    }
    const VariablesCsvImport imported = importVariablesCsv(bytes, Get_Decimal_Separator(*services.regional));
    if (imported.failure) {
        services.messages->error(
            this, pv.msg(MsgId::CsvCannotImport).arg(variablesCsvFailureText(*imported.failure, pv.Msg_Catalogue)));
        return;
    }
    changeRows([&] { showRows(imported.rows); });
}

void TFIEC61850_Variables::refreshMarks(int, int)
{
    const std::span<const Column> all = columns();
    // A finding's field names a column by its attribute name; one without a known field marks the
    // row's Name.
    const auto columnOf = [&all](const QString &field) {
        const auto shows = [&all](QString VariableRow::*member) {
            return int(std::find_if(all.begin(), all.end(), [member](const Column &c) { return c.field == member; })
                - all.begin());
        };
        for (const VariableAttribute &attribute : VariableAttributes)
            if (field == QLatin1String(attribute.name))
                return shows(attribute.member);
        return shows(&VariableRow::Name);
    };

    QMap<std::pair<int, int>, CellMark> marks;
    for (const Finding &finding : checkVariables(tableRows(), pv.Msg_Catalogue)) {
        const int row = finding.row - 1;
        if (row < 0 || row >= ACG->rowCount())
            continue;
        CellMark &mark = marks[{ row, columnOf(finding.field) }];
        mark.error = mark.error || finding.severity == FindingSeverity::Error;
        mark.texts.append(finding.text);
    }

    // Only cells whose mark changes are touched, so an edit repaints little.
    for (auto it = m_marks.cbegin(); it != m_marks.cend(); ++it) {
        if (marks.contains(it.key()))
            continue;
        markCell(ACG->item(it.key().first, it.key().second), FindingMark::None, QString());
    }
    for (auto it = marks.cbegin(); it != marks.cend(); ++it) {
        if (const auto shown = m_marks.constFind(it.key()); shown != m_marks.cend() && *shown == *it)
            continue;
        // One finding per line.
        markCell(ACG->item(it.key().first, it.key().second), it->error ? FindingMark::Error : FindingMark::Warning,
            it->texts.join(u'\n'));
    }
    m_marks = marks;
}

} // namespace sw
