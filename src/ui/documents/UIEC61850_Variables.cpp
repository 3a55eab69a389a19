#include "ui/documents/UIEC61850_Variables.h"

#include "core/Error.h"
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
    return new ChoiceDelegate(choiceTexts(Choices), false, parent);
}

// A drop-down list that also takes typed text.
template <const auto &Choices> QStyledItemDelegate *typedChoice(QObject *parent)
{
    return new ChoiceDelegate(choiceTexts(Choices), true, parent);
}

} // namespace

// One column of ACG: its catalogue texts and how its cells are edited.
struct TFIEC61850_Variables::Column
{
    int header;
    int hint;
    MakeEditor editor;
    int width;
};

// The data columns in the order of VariableColumns, which is also the attribute order of the
// document. A check box is held as the text "Y" or "N".
std::span<const TFIEC61850_Variables::Column> TFIEC61850_Variables::columns()
{
    using namespace MsgId;
    constexpr MakeEditor Check = cellEditor<CheckBoxDelegate>;
    constexpr MakeEditor Text = cellEditor<TextDelegate>;
    // clang-format off
    static const Column table[] = {
        { VariablesEnable,     VariablesHintEnable,     Check,                          50 },
        { VariablesName,       VariablesHintName,       Text,                           250 },
        { VariablesType,       VariablesHintType,       choice<TypeChoices>,            80 },
        { VariablesLength,     VariablesHintLength,     Text,                           65 },
        { VariablesReadOnly,   VariablesHintReadOnly,   Check,                          65 },
        { VariablesPosition,   VariablesHintPosition,   Text,                           80 },
        { VariablesStartBit,   VariablesHintStartBit,   choice<StartBitChoices>,        60 },
        { VariablesConversion, VariablesHintConversion, choice<ConversionChoices>,      75 },
        { VariablesFactor,     VariablesHintFactor,     typedChoice<FactorChoices>,     75 },
        { VariablesSwap,       VariablesHintSwap,       Check,                          45 },
        { VariablesSwapWord,   VariablesHintSwapWord,   Check,                          80 },
        { VariablesMnemonic,   VariablesHintMnemonic,   Text,                           128 },
    };
    // clang-format on
    static_assert(std::size(table) == VariableColumns.size());
    return table;
}

TFIEC61850_Variables::TFIEC61850_Variables(ProgramValues &values, Services &services, QWidget *parent)
    : ListEditorOf(
        values, services, CheckBoxes::AsText, VariablesDocumentAccess, VariableColumns, VariableListCapacity, parent)
{
    FormCreate();
}

void TFIEC61850_Variables::FormCreate()
{
    // One line of text with room for a drop-down editor, so that more rows are in view.
    const int rowHeight = std::max(MinRowHeight, fontMetrics().height() + 8);
    ACG = makeTable("ACG", rowModel(), columns(), rowHeight);

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

bool TFIEC61850_Variables::Controllo_dati()
{
    const QChar separator = Get_Decimal_Separator(*services.regional);
    const std::optional<VariablesFailure> failure = firstFailingVariable(rows(), separator, NByte_IN);
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
    const QByteArray csv = exportVariablesCsv(rows(), Get_Decimal_Separator(*services.regional));
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
    replaceRows(0, rowModel()->filled(imported.rows), withoutEllipsis(pv.msg(MsgId::VariablesImportCsv)));
}

void TFIEC61850_Variables::refreshMarks(int, int)
{
    // A finding's field names a column by its attribute name; one without a known field marks the
    // row's Name.
    const auto columnOf = [this](const QString &field) {
        for (const VariableAttribute &attribute : VariableAttributes)
            if (field == QLatin1String(attribute.name))
                return rowModel()->columnOf(attribute.member);
        return rowModel()->columnOf(&VariableRow::Name);
    };

    QMap<std::pair<int, int>, CellMark> marks;
    for (const Finding &finding : checkVariables(rows(), pv.Msg_Catalogue)) {
        const int row = finding.row - 1;
        if (row < 0 || row >= ACG->rowCount())
            continue;
        CellMark &mark = marks[{ row, columnOf(finding.field) }];
        mark.error = mark.error || finding.severity == FindingSeverity::Error;
        mark.texts.append(finding.text);
    }

    // Only cells whose mark changes are touched, so an edit repaints little.
    const auto cell = [this](const std::pair<int, int> &at) { return rowModel()->index(at.first, at.second); };
    for (auto it = m_marks.cbegin(); it != m_marks.cend(); ++it) {
        if (marks.contains(it.key()))
            continue;
        markCell(rowModel(), cell(it.key()), FindingMark::None, QString());
    }
    for (auto it = marks.cbegin(); it != marks.cend(); ++it) {
        if (const auto shown = m_marks.constFind(it.key()); shown != m_marks.cend() && *shown == *it)
            continue;
        // One finding per line.
        markCell(
            rowModel(), cell(it.key()), it->error ? FindingMark::Error : FindingMark::Warning, it->texts.join(u'\n'));
    }
    m_marks = marks;
}

} // namespace sw
