#include "products/forms/ProductCard.h"

#include "common/NumberText.h"
#include "products/ProductFile.h"
#include "shell/LastFileFolder.h"
#include "shell/SettingDefaults.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFont>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kulvera {
namespace {

const QString kDefaultVariant = QStringLiteral("Мех. обработка");
const QString kIodine = QStringLiteral("Y");
constexpr int kColumnRole = Qt::UserRole;

const char16_t *const kTextColumns[] = {u"Имя2", u"Имя", u"ГОСТ", u"ЕвроКОД", u"Источник", u"Изготовитель", u"Комент"};
const char16_t *const kOtherNumbers[] = {u"Out", u"Цена", u"Цена_Р", u"Цена_К", u"Разм"};
const char16_t *const kFlags[] = {u"Rast", u"l72", u"aller", u"exc", u"l70", u"l71", u"fast", u"conf"};
const char16_t *const kMonths[] = {u"Январь", u"Февраль", u"Март", u"Апрель", u"Май", u"Июнь", u"Июль", u"Август",
    u"Сентябрь", u"Октябрь", u"Ноябрь", u"Декабрь"};
constexpr CompositionGroup kGroups[] = {CompositionGroup::Main, CompositionGroup::Minerals, CompositionGroup::Vitamins,
    CompositionGroup::AminoAcids, CompositionGroup::FattyAcids};

// "0.000" -> 3 decimals; anything without a point -> 0.
int decimalsOf(const QString &mask)
{
    const qsizetype point = mask.indexOf(u'.');
    return point < 0 ? 0 : static_cast<int>(mask.size() - point - 1);
}

QValidator *numberValidator(QObject *parent)
{
    return new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0123456789,]*")), parent);
}

// Editors of number cells: the same characters as the number fields, right-aligned.
class NumberDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        auto *edit = new QLineEdit(parent);
        edit->setValidator(numberValidator(edit));
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return edit;
    }
};

QTableWidgetItem *numberItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QString itemText(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text() : QString();
}

double flagNumber(bool checked, double stored)
{
    // An unchanged flag keeps whatever true value the base holds.
    return checked == (stored != 0.0) ? stored : (checked ? 1.0 : 0.0);
}

} // namespace

ProductCard::ProductCard(AppContext &context, qint64 key, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , base_(context)
{
    setObjectName(QStringLiteral("ProductCard"));
    setWindowTitle(QStringLiteral("Продукт"));
    decimals_ = decimalsOf(readSetting(context.settings, Section::Documents, QStringLiteral("FormatForBaseProd")));

    auto *left = new QVBoxLayout;
    auto *names = new QFormLayout;
    for (const char16_t *c : kTextColumns) {
        const QString column = QString::fromUtf16(c);
        names->addRow(productColumnCaption(column), texts_[column] = addLine(column, false));
    }
    left->addLayout(names);

    auto *numbers = new QFormLayout;
    for (const char16_t *c : kOtherNumbers) {
        const QString column = QString::fromUtf16(c);
        numbers->addRow(productColumnCaption(column), numbers_[column] = addLine(column, true));
    }
    left->addLayout(numbers);

    auto *flagBox = new QGroupBox(QStringLiteral("Признаки"), this);
    auto *flagGrid = new QGridLayout(flagBox);
    int cell = 0;
    for (const char16_t *c : kFlags) {
        const QString column = QString::fromUtf16(c);
        auto *box = new QCheckBox(productColumnCaption(column), flagBox);
        box->setObjectName(column);
        flags_[column] = box;
        flagGrid->addWidget(box, cell / 2, cell % 2);
        ++cell;
    }
    connect(flags_.at(QStringLiteral("l72")), &QCheckBox::toggled, this, &ProductCard::captionVariants);
    left->addWidget(flagBox);
    left->addWidget(buildVariants(), 1);

    auto *main = new QHBoxLayout;
    main->addLayout(left, 3);
    main->addWidget(buildComposition(), 2);

    auto *buttons = new QHBoxLayout;
    const auto button = [&](const QString &name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(name);
        buttons->addWidget(b);
        return b;
    };
    connect(
        button(QStringLiteral("save"), QStringLiteral("Сохранить")), &QPushButton::clicked, this, &ProductCard::save);
    connect(
        button(QStringLiteral("saveFile"), QStringLiteral("Сохранить в файл...")), &QPushButton::clicked, this, [this] {
            const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить продукт"),
                lastFileFolder(context_.settings), QStringLiteral("Продукты КВ (*.prod)"), nullptr,
                QFileDialog::DontConfirmOverwrite);
            if (!path.isEmpty())
                saveToFile(path);
        });
    connect(button(QStringLiteral("loadFile"), QStringLiteral("Загрузить из файла...")), &QPushButton::clicked, this,
        [this] {
            const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Загрузить продукт"),
                lastFileFolder(context_.settings), QStringLiteral("Продукты КВ (*.prod)"));
            if (!path.isEmpty())
                loadFromFile(path);
        });
    buttons->addStretch();

    auto *outer = new QVBoxLayout(this);
    outer->addLayout(main, 1);
    outer->addLayout(buttons);

    if (!base_.connected()) {
        context.prompter.error(QStringLiteral("Не удалось подключиться к базе продуктов"));
    } else if (key > 0) {
        if (const auto row = base_.find(key))
            row_ = *row;
    } else {
        row_.setOut(100);
    }
    showRow(row_);
}

QWidget *ProductCard::buildComposition()
{
    auto *box = new QGroupBox(QStringLiteral("Химический состав в 100 г продукта"), this);
    composition_ = new QTableWidget(0, 2, box);
    composition_->setObjectName(QStringLiteral("composition"));
    composition_->setHorizontalHeaderLabels({QStringLiteral("Показатель"), QStringLiteral("Значение")});
    composition_->verticalHeader()->hide();
    composition_->setItemDelegateForColumn(1, new NumberDelegate(composition_));
    composition_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
        | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    for (CompositionGroup group : kGroups) {
        const int r = composition_->rowCount();
        composition_->insertRow(r);
        auto *heading = new QTableWidgetItem(compositionGroupCaption(group));
        heading->setFlags(Qt::ItemIsEnabled);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        heading->setBackground(palette().alternateBase());
        composition_->setItem(r, 0, heading);
        composition_->setSpan(r, 0, 1, 2);
        for (const CompositionField &f : compositionFields()) {
            if (f.column && f.group == group)
                addValueRow(QString::fromUtf16(f.column), fieldCaption(f));
        }
        // Iodine is a column of the product table but not of the record.
        if (group == CompositionGroup::Minerals)
            addValueRow(kIodine, productColumnCaption(kIodine));
    }
    QHeaderView *header = composition_->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::Fixed);
    connect(composition_, &QTableWidget::itemChanged, this, &ProductCard::fitValues);
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(composition_);
    return box;
}

void ProductCard::addValueRow(const QString &column, const QString &caption)
{
    const int r = composition_->rowCount();
    composition_->insertRow(r);
    auto *name = new QTableWidgetItem(caption);
    name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    composition_->setItem(r, 0, name);
    QTableWidgetItem *value = numberItem({});
    value->setData(kColumnRole, column);
    composition_->setItem(r, 1, value);
    values_[column] = value;
}

QWidget *ProductCard::buildVariants()
{
    auto *box = new QGroupBox(QStringLiteral("Варианты механической обработки"), this);
    variants_ = new QTableWidget(std::clamp(base_.variantCount(), 0, kLossVariants), 2, box);
    variants_->setObjectName(QStringLiteral("variants"));
    variants_->setHorizontalHeaderLabels(
        {QStringLiteral("Вариант потерь при мех. обработке"), QStringLiteral("Выход, %")});
    variants_->setItemDelegateForColumn(1, new NumberDelegate(variants_));
    variants_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    variants_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    auto *buttons = new QHBoxLayout;
    auto *add = new QPushButton(QStringLiteral("Добавить обработку"), box);
    add->setObjectName(QStringLiteral("addVariant"));
    auto *remove = new QPushButton(QStringLiteral("Удалить обработку"), box);
    remove->setObjectName(QStringLiteral("removeVariant"));
    connect(add, &QPushButton::clicked, this, &ProductCard::addVariant);
    connect(remove, &QPushButton::clicked, this, [this] { removeVariant(variants_->currentRow() + 1); });
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(variants_, 1);
    layout->addLayout(buttons);
    return box;
}

QLineEdit *ProductCard::addLine(const QString &object, bool numeric)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(object);
    if (numeric) {
        edit->setValidator(numberValidator(edit));
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("000000,000")) + 16);
    }
    return edit;
}

QString ProductCard::formatValue(double value) const
{
    return formatFixed(value, decimals_);
}

void ProductCard::setNumber(const QString &column, const QString &text)
{
    numbers_.at(column)->setText(text);
    shown_[column] = text;
}

void ProductCard::setValue(const QString &column, double value)
{
    const QString text = formatValue(value);
    values_.at(column)->setText(text);
    shown_[column] = text;
}

double ProductCard::numberOr(const QString &shown, const QString &text, double stored) const
{
    return text == shown ? stored : kulvera::numberOr(text);
}

void ProductCard::showRow(const ProductRow &row)
{
    row_ = row;
    texts_[QStringLiteral("Имя2")]->setText(row.prod.FullName);
    texts_[QStringLiteral("Имя")]->setText(row.prod.ShortName);
    texts_[QStringLiteral("ГОСТ")]->setText(row.prod.ND);
    texts_[QStringLiteral("ЕвроКОД")]->setText(row.euroCode);
    texts_[QStringLiteral("Источник")]->setText(row.source);
    texts_[QStringLiteral("Изготовитель")]->setText(row.maker);
    texts_[QStringLiteral("Комент")]->setText(row.comment);
    const auto flag = [this](const char16_t *c, bool on) { flags_.at(QString::fromUtf16(c))->setChecked(on); };
    flag(u"Rast", row.rast);
    flag(u"l72", row.l72);
    flag(u"l70", row.l70);
    flag(u"l71", row.l71);
    flag(u"exc", row.exc != 0.0);
    flag(u"aller", row.aller != 0.0);
    flag(u"fast", row.fast != 0.0);
    flag(u"conf", row.conf != 0.0);
    setNumber(QStringLiteral("Out"), formatNumber(row.out));
    setNumber(QStringLiteral("Цена"), formatFixed(row.prod.Price, 2));
    setNumber(QStringLiteral("Цена_Р"), formatFixed(row.priceR, 2));
    setNumber(QStringLiteral("Цена_К"), formatFixed(row.priceK, 2));
    setNumber(QStringLiteral("Разм"), formatNumber(numberValue(row.size)));
    {
        const QSignalBlocker block(composition_);
        for (const CompositionField &f : compositionFields()) {
            if (f.column)
                setValue(QString::fromUtf16(f.column), row.prod.*f.member);
        }
        setValue(kIodine, row.iodine);
    }
    fitValues();
    for (int r = 0; r < variants_->rowCount(); ++r) {
        const auto n = static_cast<std::size_t>(r);
        shownOutputs_[n] = row.losses[n] ? formatFixed(*row.losses[n], 2) : QString();
        variants_->setItem(r, 0, new QTableWidgetItem(row.variants[n]));
        variants_->setItem(r, 1, numberItem(shownOutputs_[n]));
    }
    captionVariants();
}

void ProductCard::captionVariants()
{
    const bool seasonal = flags_.at(QStringLiteral("l72"))->isChecked();
    QStringList labels;
    for (int r = 0; r < variants_->rowCount(); ++r)
        labels << (seasonal ? QString::fromUtf16(kMonths[r]) : QString::number(r + 1));
    variants_->setVerticalHeaderLabels(labels);
}

void ProductCard::fitValues()
{
    // Wide enough for the longest value shown and for any ordinary one, so no
    // number is ever cut.
    const QFontMetrics metrics(composition_->font());
    int widest = std::max(metrics.horizontalAdvance(formatValue(99999.0)),
        composition_->horizontalHeader()->fontMetrics().horizontalAdvance(
            composition_->horizontalHeaderItem(1)->text()));
    int captions = 0;
    for (int r = 0; r < composition_->rowCount(); ++r) {
        if (const QTableWidgetItem *value = composition_->item(r, 1))
            widest = std::max(widest, metrics.horizontalAdvance(value->text()));
        if (composition_->columnSpan(r, 0) == 1)
            captions = std::max(captions, metrics.horizontalAdvance(itemText(composition_, r, 0)));
    }
    const int padding = 4 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, composition_) + 12;
    composition_->setColumnWidth(1, widest + padding);
    composition_->setMinimumWidth(captions + widest + 2 * padding
        + composition_->verticalScrollBar()->sizeHint().width() + 2 * composition_->frameWidth());
}

ProductRow ProductCard::collect() const
{
    ProductRow row = row_;
    const auto text = [&](const char16_t *c) { return texts_.at(QString::fromUtf16(c))->text(); };
    const auto number
        = [&](const QString &c, double stored) { return numberOr(shown_.at(c), numbers_.at(c)->text(), stored); };
    const auto value
        = [&](const QString &c, double stored) { return numberOr(shown_.at(c), values_.at(c)->text(), stored); };
    const auto checked = [&](const char16_t *c) { return flags_.at(QString::fromUtf16(c))->isChecked(); };
    const auto edited = [&](const QString &c) { return numbers_.at(c)->text() != shown_.at(c); };
    row.prod.FullName = text(u"Имя2");
    row.prod.ShortName = text(u"Имя");
    row.prod.ND = text(u"ГОСТ");
    row.euroCode = text(u"ЕвроКОД");
    row.source = text(u"Источник");
    row.maker = text(u"Изготовитель");
    row.comment = text(u"Комент");
    row.rast = checked(u"Rast");
    row.l72 = checked(u"l72");
    row.l70 = checked(u"l70");
    row.l71 = checked(u"l71");
    row.exc = flagNumber(checked(u"exc"), row_.exc);
    row.aller = flagNumber(checked(u"aller"), row_.aller);
    row.fast = flagNumber(checked(u"fast"), row_.fast);
    row.conf = flagNumber(checked(u"conf"), row_.conf);
    row.setOut(number(QStringLiteral("Out"), row_.out));
    if (edited(QStringLiteral("Цена")))
        row.setPrice(number(QStringLiteral("Цена"), row_.prod.Price));
    row.priceR = number(QStringLiteral("Цена_Р"), row_.priceR);
    row.priceK = number(QStringLiteral("Цена_К"), row_.priceK);
    if (edited(QStringLiteral("Разм")))
        row.size = number(QStringLiteral("Разм"), numberValue(row_.size));
    for (const CompositionField &f : compositionFields()) {
        if (f.column)
            row.prod.*f.member = value(QString::fromUtf16(f.column), row_.prod.*f.member);
    }
    row.iodine = value(kIodine, row_.iodine);
    // Each variant stays at its number: an empty slot between two variants
    // is kept empty, and a seasonal product's months stay in their months.
    for (int r = 0; r < variants_->rowCount(); ++r) {
        const auto n = static_cast<std::size_t>(r);
        row.variants[n] = itemText(variants_, r, 0);
        const QString output = itemText(variants_, r, 1);
        if (output != shownOutputs_[n])
            row.losses[n] = parseNumber(output);
    }
    return row;
}

bool ProductCard::save()
{
    ProductRow row = collect();
    if (row.key() <= 0) {
        const auto key = base_.add(row);
        if (!key)
            return false;
        row.setKey(*key);
    } else if (const Status s = base_.saveChanges(row_, row); !s) {
        context_.prompter.error(s.error());
        return false;
    }
    showRow(row);
    emit saved(row.key());
    return true;
}

bool ProductCard::saveToFile(const QString &path)
{
    const Status s = saveProductToFile(context_.prompter, path, collect(), QString::number(row_.key()));
    if (!s)
        return false;
    rememberFileFolder(context_.settings, path);
    return true;
}

bool ProductCard::loadFromFile(const QString &path)
{
    const auto file = readProductFile(path);
    if (!file) {
        context_.prompter.error(file.error());
        return false;
    }
    rememberFileFolder(context_.settings, path);
    ProductRow row = file->row;
    row.setKey(0); // saved as a new product
    showRow(row);
    return true;
}

void ProductCard::addVariant()
{
    int slot = -1;
    for (int r = 0; r < variants_->rowCount() && slot < 0; ++r) {
        if (itemText(variants_, r, 0).isEmpty() && itemText(variants_, r, 1).isEmpty())
            slot = r;
    }
    if (slot < 0)
        return;
    if (!context_.prompter.confirm(
            QStringLiteral("Добавить механическую обработку в базу?"), ProductBase::kTitle.toString()))
        return;
    const auto name
        = context_.prompter.askText(QStringLiteral("Мех. обработка"), ProductBase::kTitle.toString(), kDefaultVariant);
    if (!name)
        return;
    if (name->trimmed().isEmpty()) {
        context_.prompter.message(
            QStringLiteral("Необходимо указать значение"), ProductBase::kTitle.toString(), Prompter::Icon::Warning);
        return;
    }
    variants_->setItem(slot, 0, new QTableWidgetItem(*name));
    variants_->setItem(slot, 1, numberItem(formatFixed(0, 2)));
    variants_->setCurrentCell(slot, 1);
}

void ProductCard::removeVariant(int n)
{
    if (n < 1 || n > variants_->rowCount())
        return;
    const int r = n - 1;
    const QString name = itemText(variants_, r, 0);
    if (name.isEmpty() && itemText(variants_, r, 1).isEmpty())
        return;
    if (!context_.prompter.confirm(QStringLiteral("Удаляем обработку - ") + name, ProductBase::kTitle.toString()))
        return;
    variants_->setItem(r, 0, new QTableWidgetItem);
    variants_->setItem(r, 1, numberItem({}));
}

} // namespace kulvera
