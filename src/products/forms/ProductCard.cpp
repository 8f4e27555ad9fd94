#include "products/forms/ProductCard.h"

#include "common/NumberText.h"
#include "products/ProductFile.h"
#include "shell/LastFileFolder.h"
#include "shell/SettingDefaults.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kulvera {
namespace {

const QString kDefaultVariant = QStringLiteral("Мех. обработка");

// "0.000" -> 3 decimals; anything without a point -> 0.
int decimalsOf(const QString &mask)
{
    const qsizetype point = mask.indexOf(u'.');
    return point < 0 ? 0 : static_cast<int>(mask.size() - point - 1);
}

const char16_t *const kTextColumns[] = {u"Имя2", u"Имя", u"ГОСТ", u"ЕвроКОД", u"Источник", u"Изготовитель", u"Комент"};
const char16_t *const kCaptions[] = {u"Полное наименование", u"Краткое наименование", u"ГОСТ / ТУ", u"Код",
    u"Источник данных", u"Изготовитель", u"Комментарий"};
const char16_t *const kOtherNumbers[] = {u"Out", u"Цена", u"Цена_Р", u"Цена_К", u"Разм", u"Y"};

} // namespace

ProductCard::ProductCard(AppContext &context, qint64 key, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , base_(context)
{
    setObjectName(QStringLiteral("ProductCard"));
    setWindowTitle(QStringLiteral("Продукт"));
    decimals_ = decimalsOf(readSetting(context.settings, Section::Documents, QStringLiteral("FormatForBaseProd")));

    auto *outer = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    for (std::size_t n = 0; n < std::size(kTextColumns); ++n)
        form->addRow(QString::fromUtf16(kCaptions[n]),
            texts_[QString::fromUtf16(kTextColumns[n])] = addLine(QString::fromUtf16(kTextColumns[n]), false));
    auto *flags = new QHBoxLayout;
    rast_ = new QCheckBox(QStringLiteral("Растительного происхождения"), this);
    seasonal_ = new QCheckBox(QStringLiteral("Сезонные потери (по месяцам)"), this);
    l70_ = new QCheckBox(QStringLiteral("l70"), this);
    l71_ = new QCheckBox(QStringLiteral("l71"), this);
    rast_->setObjectName(QStringLiteral("Rast"));
    seasonal_->setObjectName(QStringLiteral("l72"));
    for (QCheckBox *b : {rast_, seasonal_, l70_, l71_})
        flags->addWidget(b);
    form->addRow(flags);
    outer->addLayout(form);

    auto *numbers = new QWidget;
    auto *grid = new QGridLayout(numbers);
    int cell = 0;
    const auto addNumber = [&](const QString &column, const QString &unit) {
        QLineEdit *edit = addLine(column, true);
        numbers_[column] = edit;
        grid->addWidget(
            new QLabel(unit.isEmpty() ? column : column + QStringLiteral(", ") + unit), cell / 4, (cell % 4) * 2);
        grid->addWidget(edit, cell / 4, (cell % 4) * 2 + 1);
        ++cell;
    };
    for (const char16_t *c : kOtherNumbers)
        addNumber(QString::fromUtf16(c), {});
    for (const CompositionField &f : compositionFields()) {
        if (f.column)
            addNumber(QString::fromUtf16(f.column), QString::fromUtf16(f.unit));
    }
    auto *scroll = new QScrollArea(this);
    scroll->setWidget(numbers);
    scroll->setWidgetResizable(true);
    outer->addWidget(scroll, 1);

    variants_ = new QTableWidget(0, 2, this);
    variants_->setObjectName(QStringLiteral("variants"));
    variants_->setHorizontalHeaderLabels(
        {QStringLiteral("Вариант потерь при мех. обработке"), QStringLiteral("Выход, %")});
    variants_->horizontalHeader()->setStretchLastSection(true);
    outer->addWidget(variants_);

    auto *buttons = new QHBoxLayout;
    const auto button = [&](const QString &name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(name);
        buttons->addWidget(b);
        return b;
    };
    connect(button(QStringLiteral("addVariant"), QStringLiteral("Добавить обработку")), &QPushButton::clicked, this,
        &ProductCard::addVariant);
    connect(button(QStringLiteral("removeVariant"), QStringLiteral("Удалить обработку")), &QPushButton::clicked, this,
        [this] { removeVariant(variants_->currentRow() + 1); });
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

QLineEdit *ProductCard::addLine(const QString &object, bool numeric)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(object);
    if (numeric)
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0123456789,]*")), edit));
    return edit;
}

QString ProductCard::formatValue(double value) const
{
    return formatFixed(value, decimals_);
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
    rast_->setChecked(row.rast);
    seasonal_->setChecked(row.l72);
    l70_->setChecked(row.l70);
    l71_->setChecked(row.l71);
    numbers_[QStringLiteral("Out")]->setText(formatNumber(row.out));
    numbers_[QStringLiteral("Цена")]->setText(formatFixed(row.prod.Price, 2));
    numbers_[QStringLiteral("Цена_Р")]->setText(formatFixed(row.priceR, 2));
    numbers_[QStringLiteral("Цена_К")]->setText(formatFixed(row.priceK, 2));
    numbers_[QStringLiteral("Разм")]->setText(formatNumber(numberValue(row.size)));
    numbers_[QStringLiteral("Y")]->setText(formatValue(row.iodine));
    for (const CompositionField &f : compositionFields()) {
        if (f.column)
            numbers_[QString::fromUtf16(f.column)]->setText(formatValue(row.prod.*f.member));
    }
    variants_->setRowCount(0);
    for (const ProductBase::Variant &v : base_.variantList(row)) {
        if (!v.output && v.name.isEmpty())
            continue;
        const int r = variants_->rowCount();
        variants_->insertRow(r);
        variants_->setItem(r, 0, new QTableWidgetItem(v.name));
        variants_->setItem(r, 1, new QTableWidgetItem(v.output ? formatFixed(*v.output, 2) : QString()));
    }
}

ProductRow ProductCard::collect() const
{
    ProductRow row = row_;
    const auto text = [&](const char16_t *c) { return texts_.at(QString::fromUtf16(c))->text(); };
    const auto number = [&](const QString &c) { return numberOr(numbers_.at(c)->text()); };
    row.prod.FullName = text(u"Имя2");
    row.prod.ShortName = text(u"Имя");
    row.prod.ND = text(u"ГОСТ");
    row.euroCode = text(u"ЕвроКОД");
    row.source = text(u"Источник");
    row.maker = text(u"Изготовитель");
    row.comment = text(u"Комент");
    row.rast = rast_->isChecked();
    row.l72 = seasonal_->isChecked();
    row.l70 = l70_->isChecked();
    row.l71 = l71_->isChecked();
    row.setOut(number(QStringLiteral("Out")));
    row.setPrice(number(QStringLiteral("Цена")));
    row.priceR = number(QStringLiteral("Цена_Р"));
    row.priceK = number(QStringLiteral("Цена_К"));
    row.size = number(QStringLiteral("Разм"));
    row.iodine = number(QStringLiteral("Y"));
    for (const CompositionField &f : compositionFields()) {
        if (f.column)
            row.prod.*f.member = number(QString::fromUtf16(f.column));
    }
    for (std::size_t n = 0; n < kLossVariants; ++n) {
        const int r = static_cast<int>(n);
        if (r < variants_->rowCount()) {
            row.variants[n] = variants_->item(r, 0) ? variants_->item(r, 0)->text() : QString();
            const QString out = variants_->item(r, 1) ? variants_->item(r, 1)->text() : QString();
            row.losses[n] = parseNumber(out);
        } else {
            row.variants[n].clear();
            row.losses[n].reset();
        }
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
    } else if (const Status s = base_.save(row); !s) {
        context_.prompter.error(s.error());
        return false;
    }
    row_ = row;
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
    if (variants_->rowCount() >= std::min(base_.variantCount(), kLossVariants))
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
    const int r = variants_->rowCount();
    variants_->insertRow(r);
    variants_->setItem(r, 0, new QTableWidgetItem(*name));
    variants_->setItem(r, 1, new QTableWidgetItem(formatFixed(0, 2)));
}

void ProductCard::removeVariant(int n)
{
    if (n < 1 || n > variants_->rowCount())
        return;
    const QString name = variants_->item(n - 1, 0) ? variants_->item(n - 1, 0)->text() : QString();
    if (!context_.prompter.confirm(QStringLiteral("Удаляем обработку - ") + name, ProductBase::kTitle.toString()))
        return;
    variants_->removeRow(n - 1);
}

} // namespace kulvera
