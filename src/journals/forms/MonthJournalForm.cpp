#include "journals/forms/MonthJournalForm.h"

#include "journals/MonthJournalPrint.h"
#include "journals/forms/PickListDelegate.h"
#include "warehouse/forms/WarehouseGrid.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace kulvera {
namespace {

const QString kSortKey = QStringLiteral("_SortCol");
constexpr int kPickListRefreshMs = 5000;

QPushButton *button(const QString &text, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

MonthJournalForm::MonthJournalForm(AppContext &context, JournalKind kind, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , base_(context)
    , journal_(base_, kind)
    , places_(JournalList::places(base_, kind))
    , marks_(JournalList::marks(base_))
{
    const JournalKindRules &rules = journal_.rules();
    setObjectName(rules.formName);
    setWindowTitle(rules.title);
    month_ = new QComboBox(this);
    month_->setObjectName(QStringLiteral("month"));
    month_->addItems(monthNames());
    const QDate today = context.clock.today();
    month_->setCurrentIndex(today.month() - 1);
    year_ = new QLineEdit(QString::number(today.year()), this);
    year_->setObjectName(QStringLiteral("year"));
    year_->setMaximumWidth(80);
    grid_ = new QTableWidget(0, 0, this);
    grid_->setObjectName(QStringLiteral("grid"));
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    placeDelegate_ = new PickListDelegate(grid_);
    markDelegate_ = new PickListDelegate(grid_);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Месяц:"), this));
    top->addWidget(month_);
    top->addWidget(new QLabel(QStringLiteral("Год:"), this));
    top->addWidget(year_);
    auto *loadButton = button(QStringLiteral("Загрузить"), QStringLiteral("load"), this);
    auto *addButton = button(QStringLiteral("Добавить"), QStringLiteral("addSubject"), this);
    auto *removeButton = button(QStringLiteral("Удалить"), QStringLiteral("removeSubject"), this);
    auto *copyButton = button(QStringLiteral("Копировать предыдущий день"), QStringLiteral("copyDay"), this);
    auto *printButton = button(QStringLiteral("Печать"), QStringLiteral("print"), this);
    for (QPushButton *b : {loadButton, addButton, removeButton, copyButton, printButton})
        top->addWidget(b);
    top->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grid_, 1);

    connect(loadButton, &QPushButton::clicked, this, &MonthJournalForm::load);
    connect(addButton, &QPushButton::clicked, this, &MonthJournalForm::addSubject);
    connect(removeButton, &QPushButton::clicked, this, &MonthJournalForm::removeSubject);
    connect(copyButton, &QPushButton::clicked, this, &MonthJournalForm::copyPreviousDay);
    connect(printButton, &QPushButton::clicked, this, &MonthJournalForm::printIntoDocuments);
    // Switching month or year rebuilds the grid of a loaded journal.
    connect(month_, &QComboBox::currentIndexChanged, this, [this] {
        if (loaded_)
            load();
    });
    connect(year_, &QLineEdit::editingFinished, this, [this] {
        if (loaded_ && year_->text() != QString::number(loaded_->year))
            load();
    });
    // The cell is written once its editor has closed.
    // Sorting may move the row at once: the subject and the column are taken now.
    connect(grid_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (loading_ || item->column() < 0 || item->column() >= keys_.size())
            return;
        QTimer::singleShot(
            0, this, [this, subject = rowSubject(item->row()), key = keys_[item->column()], text = item->text()] {
                cellEdited(subject, key, text);
            });
    });
    connect(grid_->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, [this](int column, Qt::SortOrder) {
        if (!loading_)
            context_.settings.saveInGroup(journal_.rules().formName, kSortKey, QString::number(column));
    });
    new GridKeys(
        grid_, [this] { addSubject(); }, [this] { removeSubject(); });
    refresh_ = new QTimer(this);
    connect(refresh_, &QTimer::timeout, this, &MonthJournalForm::refreshPickLists);
    refresh_->start(kPickListRefreshMs);
    refreshPickLists();
}

int MonthJournalForm::columnOf(const QString &key) const
{
    return static_cast<int>(keys_.indexOf(key));
}

void MonthJournalForm::refreshPickLists()
{
    if (const auto items = places_.items())
        placeDelegate_->setItems(*items);
    if (journal_.rules().kind == JournalKind::Health) {
        if (const auto items = marks_.items())
            markDelegate_->setItems(*items);
    }
}

bool MonthJournalForm::load()
{
    const Result<int> year = parseJournalYear(year_->text());
    if (!year) {
        context_.prompter.warning(year.error(), windowTitle());
        return false;
    }
    if (const Status c = base_.requireConnected(); !c) {
        context_.prompter.warning(c.error(), windowTitle());
        return false;
    }
    build({*year, std::max(month_->currentIndex(), 0) + 1});
    return true;
}

void MonthJournalForm::build(const JournalMonth &month)
{
    const JournalKindRules &rules = journal_.rules();
    const auto subjects = journal_.subjects();
    const auto entries = journal_.entries(month);
    if (!subjects || !entries) {
        context_.prompter.warning(subjects ? entries.error() : subjects.error(), windowTitle());
        return;
    }
    refreshPickLists();
    loading_ = true;
    const int keptRow = grid_->currentRow();
    const int keptColumn = grid_->currentColumn();
    grid_->setSortingEnabled(false);
    QStringList captions;
    const bool health = rules.kind == JournalKind::Health;
    if (health) {
        keys_ = {QStringLiteral("ID"), rules.subjectNameColumn, rules.subjectPlaceColumn, QStringLiteral("Caption")};
        captions = {rules.idCaption, rules.nameCaption, rules.placeIdCaption, rules.placeCaption};
    } else {
        keys_ = {QStringLiteral("ID"), rules.subjectPlaceColumn, QStringLiteral("Caption"), rules.subjectNameColumn};
        captions = {rules.idCaption, rules.placeIdCaption, rules.placeCaption, rules.nameCaption};
    }
    const int fixed = static_cast<int>(keys_.size());
    for (int d = 1; d <= month.days(); ++d) {
        keys_ << dayColumnKey(d);
        captions << QString::number(d);
    }
    grid_->clear();
    grid_->setColumnCount(static_cast<int>(keys_.size()));
    grid_->setHorizontalHeaderLabels(captions);
    grid_->setRowCount(static_cast<int>(subjects->size()));
    for (int c = 0; c < grid_->columnCount(); ++c)
        grid_->setItemDelegateForColumn(c, nullptr);
    grid_->setItemDelegateForColumn(columnOf(QStringLiteral("Caption")), placeDelegate_);
    for (int d = 1; d <= month.days() && health; ++d)
        grid_->setItemDelegateForColumn(columnOf(dayColumnKey(d)), markDelegate_);
    // The place key column of the temperature journal has no caption and is not shown.
    grid_->setColumnHidden(columnOf(rules.subjectPlaceColumn), !health);
    for (int r = 0; r < static_cast<int>(subjects->size()); ++r) {
        const JournalSubject &s = (*subjects)[static_cast<std::size_t>(r)];
        grid_->setItem(r, columnOf(QStringLiteral("ID")), textItem(QString::number(s.id), false));
        grid_->setItem(r, columnOf(rules.subjectNameColumn), textItem(s.name));
        grid_->setItem(
            r, columnOf(rules.subjectPlaceColumn), textItem(s.place ? QString::number(*s.place) : QString(), false));
        grid_->setItem(r, columnOf(QStringLiteral("Caption")), textItem(s.placeName));
        const auto found = entries->find(s.id);
        for (int d = 1; d <= month.days(); ++d) {
            QString value;
            if (found != entries->end()) {
                if (const auto cell = found->second.find(d); cell != found->second.end())
                    value = cell->second;
            }
            grid_->setItem(r, fixed + d - 1, textItem(value));
        }
    }
    for (int c = 0; c < fixed; ++c)
        grid_->resizeColumnToContents(c);
    for (int d = 1; d <= month.days(); ++d)
        grid_->setColumnWidth(fixed + d - 1, 36);
    const int sortColumn = context_.settings.getInGroup(rules.formName, kSortKey, QStringLiteral("2")).toInt();
    grid_->setSortingEnabled(true);
    grid_->sortItems(std::clamp(sortColumn, 0, grid_->columnCount() - 1));
    if (keptRow >= 0 && keptRow < grid_->rowCount() && keptColumn >= 0 && keptColumn < grid_->columnCount())
        grid_->setCurrentCell(keptRow, keptColumn);
    loaded_ = month;
    loading_ = false;
}

qint64 MonthJournalForm::rowSubject(int row) const
{
    const QTableWidgetItem *item = grid_->item(row, columnOf(QStringLiteral("ID")));
    return item ? item->text().toLongLong() : 0;
}

void MonthJournalForm::cellEdited(qint64 subject, const QString &key, const QString &text)
{
    if (!loaded_)
        return;
    const JournalKindRules &rules = journal_.rules();
    Status s;
    if (subject <= 0) {
        s = Status::failure(rules.noSubjectInRow);
    } else if (const auto day = dayFromColumnKey(key)) {
        s = journal_.writeCell(subject, loaded_->day(*day), text);
    } else if (key == rules.subjectNameColumn) {
        s = journal_.renameSubject(subject, text);
    } else if (key == u"Caption") {
        s = journal_.setSubjectPlace(subject, placeDelegate_->keyOf(text));
    } else {
        return;
    }
    if (!s)
        tellRefusal(context_.prompter, s, windowTitle());
    // The grid shows what the base holds: the new text, or the old one after a refusal.
    build(*loaded_);
}

void MonthJournalForm::addSubject()
{
    if (!loaded_) {
        context_.prompter.warning(kLoadJournalFirst.toString(), windowTitle());
        return;
    }
    const auto id = journal_.addSubject();
    if (!id) {
        context_.prompter.warning(id.error(), windowTitle());
        return;
    }
    build(*loaded_);
    for (int r = 0; r < grid_->rowCount(); ++r) {
        if (rowSubject(r) == *id) {
            const int name = columnOf(journal_.rules().subjectNameColumn);
            grid_->setCurrentCell(r, name);
            grid_->editItem(grid_->item(r, name));
        }
    }
}

void MonthJournalForm::removeSubject()
{
    const JournalKindRules &rules = journal_.rules();
    if (grid_->rowCount() == 0) {
        context_.prompter.warning(rules.nothingToDelete, windowTitle());
        return;
    }
    const int row = grid_->currentRow();
    if (row < 0) {
        context_.prompter.warning(rules.nothingChosen, windowTitle());
        return;
    }
    tellRefusal(context_.prompter, journal_.removeSubject(rowSubject(row)), windowTitle());
    if (loaded_)
        build(*loaded_);
}

void MonthJournalForm::copyPreviousDay()
{
    const int column = grid_->currentColumn();
    if (!loaded_ || column < 0) {
        context_.prompter.warning(journal_.rules().chooseDayColumn, windowTitle());
        return;
    }
    const auto day = dayFromColumnKey(keys_.value(column));
    if (!day) {
        context_.prompter.warning(kNotDayColumn.toString(), windowTitle());
        return;
    }
    tellRefusal(context_.prompter, journal_.copyPreviousDay(*loaded_, *day), windowTitle());
    build(*loaded_);
}

bool MonthJournalForm::print(const QString &outputPath)
{
    if (!loaded_ || grid_->rowCount() == 0) {
        context_.prompter.warning(kJournalEmpty.toString(), windowTitle());
        return false;
    }
    const auto done = printMonthJournal(
        journal_, *loaded_, context_.shared.templatesFolder(), context_.settings, outputPath, context_.prompter);
    if (!done) {
        context_.prompter.warning(done.error(), windowTitle());
        return false;
    }
    return true;
}

void MonthJournalForm::printIntoDocuments()
{
    if (!loaded_) {
        print(QString());
        return;
    }
    const QDir folder(QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                          .filePath(QStringLiteral("Kulvera/Журналы")));
    if (!QDir().mkpath(folder.path())) {
        context_.prompter.warning(QStringLiteral("Не удалось создать папку: ") + folder.path(), windowTitle());
        return;
    }
    const QString path = folder.filePath(windowTitle() + u' ' + loaded_->text() + QStringLiteral(".xlsx"));
    if (print(path))
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace kulvera
