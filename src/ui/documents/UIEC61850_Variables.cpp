#include "ui/documents/UIEC61850_Variables.h"

#include "core/ErrorText.h"
#include "core/ProgramValues.h"
#include "core/checks/ConfigurationCheck.h"
#include "core/documents/VariablesCsv.h"
#include "core/files/AtomicFile.h"
#include "core/files/RegularFile.h"
#include "core/text/MessageIds.h"
#include "ui/Controls.h"
#include "ui/FileChooser.h"
#include "ui/Messages.h"
#include "ui/Services.h"
#include "ui/widgets/CellEditors.h"
#include "ui/widgets/FindingMarks.h"
#include "ui/widgets/ListTable.h"
#include "ui/widgets/TableOperations.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShowEvent>

#include <algorithm>

namespace sw {

namespace {

constexpr int ClientWidth = 1155;
constexpr int ClientHeight = 337;
constexpr int RowNumberWidth = 40;
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

// One column of ACG: its catalogue texts, how its cells are edited and the field it shows.
struct TFIEC61850_Variables::Column
{
    enum class Editor {
        Check, // check box held as the text "Y" or "N"
        Text, // one-line text
        Choice, // drop-down list of fixed choices
        TypedChoice, // drop-down list that also takes typed text
    };

    int header;
    int hint;
    Editor editor;
    std::span<const char *const> choices;
    int width;
    QString VariableRow::*field;
};

// The data columns in table order, which is also the attribute order of the document.
std::span<const TFIEC61850_Variables::Column> TFIEC61850_Variables::columns()
{
    using enum Column::Editor;
    using namespace MsgId;
    using R = VariableRow;
    // clang-format off
    static const Column table[] = {
        { VariablesEnable,     VariablesHintEnable,     Check,       {},                 50,  &R::Enable },
        { VariablesName,       VariablesHintName,       Text,        {},                 250, &R::Name },
        { VariablesType,       VariablesHintType,       Choice,      TypeChoices,        80,  &R::Type },
        { VariablesLength,     VariablesHintLength,     Text,        {},                 65,  &R::Length },
        { VariablesReadOnly,   VariablesHintReadOnly,   Check,       {},                 65,  &R::ReadOnly },
        { VariablesPosition,   VariablesHintPosition,   Text,        {},                 80,  &R::Position },
        { VariablesStartBit,   VariablesHintStartBit,   Choice,      StartBitChoices,    60,  &R::StartBit },
        { VariablesConversion, VariablesHintConversion, Choice,      ConversionChoices,  75,  &R::Conversion },
        { VariablesFactor,     VariablesHintFactor,     TypedChoice, FactorChoices,      75,  &R::MultiplicationFactor },
        { VariablesSwap,       VariablesHintSwap,       Check,       {},                 45,  &R::Swap },
        { VariablesSwapWord,   VariablesHintSwapWord,   Check,       {},                 80,  &R::SwapWord },
        { VariablesMnemonic,   VariablesHintMnemonic,   Text,        {},                 128, &R::Mnemonic },
    };
    // clang-format on
    return table;
}

namespace {

QStringList choiceTexts(std::span<const char *const> choices)
{
    QStringList texts;
    for (const char *choice : choices)
        texts.append(QString::fromLatin1(choice));
    return texts;
}

} // namespace

TFIEC61850_Variables::TFIEC61850_Variables(ProgramValues &values, Services &services, QWidget *parent)
    : CatalogueDialog(values, services, parent)
{
    centreOnScreenAtShow();
    FormCreate();
}

TFIEC61850_Variables::~TFIEC61850_Variables()
{
    // Hiding the dialog on its way out ends an open cell edit; its text must not be marked by a
    // dialog that is half gone.
    disconnect(ACG->model(), nullptr, this, nullptr);
}

void TFIEC61850_Variables::FormCreate()
{
    const std::span<const Column> all = columns();
    ACG = new ListTable(VariableListCapacity, int(all.size()), pv, this);
    ACG->setObjectName(QStringLiteral("ACG"));
    ACG->verticalHeader()->setFixedWidth(RowNumberWidth);
    // One line of text with room for a drop-down editor, so that more rows are in view.
    ACG->verticalHeader()->setDefaultSectionSize(std::max(MinRowHeight, ACG->fontMetrics().height() + 8));
    for (int c = 0; c < int(all.size()); ++c) {
        const Column &column = all[size_t(c)];
        QStyledItemDelegate *editor = nullptr;
        switch (column.editor) {
        case Column::Editor::Check:
            editor = new CheckBoxDelegate(ACG);
            break;
        case Column::Editor::Text:
            editor = new TextDelegate(ACG);
            break;
        case Column::Editor::Choice:
            editor = new ChoiceDelegate(choiceTexts(column.choices), ACG);
            break;
        case Column::Editor::TypedChoice:
            editor = new EditableChoiceDelegate(choiceTexts(column.choices), ACG);
            break;
        }
        ACG->setItemDelegateForColumn(c, editor);
        ACG->setHorizontalHeaderItem(c, new QTableWidgetItem);
        ACG->setColumnWidth(c, column.width);
        for (int r = 0; r < ACG->rowCount(); ++r)
            ACG->setItem(r, c, new QTableWidgetItem);
    }

    const Frame frame = layOutFrame({ ACG }, ACG);
    L_SW_Code = frame.L_SW_Code;
    L_SW_Desc = frame.L_SW_Desc;
    Btn_OK = frame.Btn_OK;
    Btn_Cancel = frame.Btn_Cancel;
    Btn_DelRow = addRowButton("Btn_DelRow");
    Btn_InsRow = addRowButton("Btn_InsRow");
    Btn_CopyRow = addRowButton("Btn_CopyRow");
    Btn_PasteRow = addRowButton("Btn_PasteRow");
    setTabOrder(ACG, Btn_OK);
    setTabOrder(Btn_OK, Btn_Cancel);
    setTabOrder(Btn_Cancel, Btn_DelRow);
    setTabOrder(Btn_DelRow, Btn_InsRow);
    setTabOrder(Btn_InsRow, Btn_CopyRow);
    setTabOrder(Btn_CopyRow, Btn_PasteRow);

    // The point list commands live in the table's context menu and on the window's keys; the
    // table itself takes neither key.
    m_exportCsv = addTableAction("exportCsv", QKeySequence(Qt::CTRL | Qt::Key_E), &TFIEC61850_Variables::exportCsv);
    m_importCsv = addTableAction("importCsv", QKeySequence(Qt::CTRL | Qt::Key_I), &TFIEC61850_Variables::importCsv);
    ACG->setContextMenuPolicy(Qt::ActionsContextMenu);

    // Any cell text changed, by the user or by a row operation, may make or end a finding.
    connect(ACG->model(), &QAbstractItemModel::dataChanged, this,
        [this](const QModelIndex &, const QModelIndex &, const QList<int> &roles) {
            if (!m_holdMarks && (roles.isEmpty() || roles.contains(Qt::DisplayRole) || roles.contains(Qt::EditRole)))
                markFindings();
        });

    connect(Btn_OK, &QPushButton::clicked, this, &TFIEC61850_Variables::Btn_OKClick);
    connect(Btn_DelRow, &QPushButton::clicked, this, &TFIEC61850_Variables::Btn_DelRowClick);
    connect(Btn_InsRow, &QPushButton::clicked, this, &TFIEC61850_Variables::Btn_InsRowClick);
    connect(Btn_CopyRow, &QPushButton::clicked, this, &TFIEC61850_Variables::Btn_CopyRowClick);
    connect(Btn_PasteRow, &QPushButton::clicked, this, &TFIEC61850_Variables::Btn_PasteRowClick);

    resize(ClientWidth, ClientHeight);
    showRows({});

    using namespace MsgId;
    setCatalogueTexts({
        { this, VariablesCaption, NoText },
        { L_SW_Desc, VariablesDesc, NoText },
        { Btn_OK, VariablesOK, VariablesHintOK },
        { Btn_Cancel, VariablesCancel, VariablesHintCancel },
        { Btn_DelRow, VariablesDelRow, VariablesHintDelRow },
        { Btn_InsRow, VariablesInsRow, VariablesHintInsRow },
        { Btn_CopyRow, VariablesCopyRow, VariablesHintCopyRow },
        { Btn_PasteRow, VariablesPasteRow, VariablesHintPasteRow },
    });
    Set_Lang();
}

// A row button at the right end of the button band, after OK and Cancel.
QPushButton *TFIEC61850_Variables::addRowButton(const char *name)
{
    QWidget *band = Btn_OK->parentWidget();
    auto *button = new QPushButton(band);
    button->setObjectName(QString::fromLatin1(name));
    enterPressesButton(button);
    band->layout()->addWidget(button);
    return button;
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
    CatalogueDialog::Set_Lang();
    m_exportCsv->setText(pv.msg(MsgId::VariablesExportCsv));
    m_importCsv->setText(pv.msg(MsgId::VariablesImportCsv));
    ACG->setCornerText(pv.msg(MsgId::VariablesRowNumber));
    Hint_List.clear();
    const std::span<const Column> all = columns();
    for (int c = 0; c < int(all.size()); ++c) {
        Hint_List.append(pv.msg(all[size_t(c)].hint));
        QTableWidgetItem *header = ACG->horizontalHeaderItem(c);
        header->setText(pv.msg(all[size_t(c)].header));
        header->setToolTip(Hint_List.last());
    }
    // The finding texts are in the user's language too.
    markFindings();
}

void TFIEC61850_Variables::FormShow()
{
    NByte_IN = InternalDataBytes;
    try {
        showRows(readVariablesFile(pv.File_IEC61850_Variables));
    } catch (const std::exception &e) {
        // The default rows are on show; OK replaces the unreadable file with them.
        showRows({});
        services.messages->generalError(this, errorText(e));
    }
    Do_Copy = false;
    ACG->setCurrentCell(0, 0);
    ACG->scrollToTop();
    ACG->setFocus(Qt::OtherFocusReason);
}

void TFIEC61850_Variables::showRows(const QList<VariableRow> &rows)
{
    changeRows([&] {
        const std::span<const Column> all = columns();
        for (int r = 0; r < ACG->rowCount(); ++r) {
            const VariableRow row = rows.value(r);
            for (int c = 0; c < int(all.size()); ++c)
                ACG->item(r, c)->setText(row.*all[size_t(c)].field);
        }
    });
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

void TFIEC61850_Variables::Btn_OKClick()
{
    if (!Controllo_dati())
        return;
    try {
        writeVariablesFile(pv.File_IEC61850_Variables, cutAtBlankName(tableRows()));
    } catch (const std::exception &e) {
        services.messages->generalError(this, errorText(e));
        return;
    }
    accept();
}

void TFIEC61850_Variables::Btn_DelRowClick()
{
    const int row = ACG->currentRow();
    if (row < 0)
        return;
    if (services.messages->confirm(this, pv.msg(MsgId::VariablesDeleteRowQuestion) + QString::number(row + 1)))
        changeRows([&] { Delete_Row(row, ACG); });
}

void TFIEC61850_Variables::Btn_InsRowClick()
{
    changeRows([&] { Insert_Row(ACG->currentRow(), ACG, true); });
}

void TFIEC61850_Variables::Btn_CopyRowClick()
{
    const int row = ACG->currentRow();
    if (row < 0)
        return;
    Copy_Row(ACG, row, pv);
    Do_Copy = true;
}

void TFIEC61850_Variables::Btn_PasteRowClick()
{
    changeRows([&] { Paste_Row(ACG, ACG->currentRow(), Do_Copy, pv, *services.messages); });
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
        files::saveBytes(csv, path);
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
    showRows(imported.rows);
}

void TFIEC61850_Variables::changeRows(const std::function<void()> &change)
{
    {
        const QScopedValueRollback hold(m_holdMarks, true);
        change();
    }
    markFindings();
}

void TFIEC61850_Variables::markFindings()
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
