#include "costing/forms/NormsForm.h"

#include "common/NumberText.h"
#include "costing/NormFile.h"
#include "menus/MenuBase.h"
#include "menus/forms/OpenMenuBase.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kulvera {
namespace {

const QString kCode = QStringLiteral("Код");
const QString kName = QStringLiteral("Имя");
const QString kFileFilter = QStringLiteral("Физ.нормы (*.fz)");
const QStringList kProductColumns {
    QStringLiteral("Group_Name"), QStringLiteral("Code_Prods"), QStringLiteral("Norm_Prods")};

QString valueText(const QVariant &v)
{
    if (v.isNull())
        return {};
    bool number = false;
    const double d = v.toDouble(&number);
    return number && v.typeId() != QMetaType::QString ? formatNumber(d) : v.toString();
}

QPushButton *button(const QString &text, const char *name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

QString NormsForm::caption(const QString &column)
{
    static const QHash<QString, QString> captions {
        {QStringLiteral("Код"), QStringLiteral("Код нормы")},
        {QStringLiteral("Имя"), QStringLiteral("Норма")},
        {QStringLiteral("Белки"), QStringLiteral("Белки, г")},
        {QStringLiteral("ЖБ"), QStringLiteral("в т.ч. жив. белок, г")},
        {QStringLiteral("РБ"), QStringLiteral("раст. белок, г")},
        {QStringLiteral("Жир"), QStringLiteral("Жир, г")},
        {QStringLiteral("ЖЖ"), QStringLiteral("в т.ч. жив. жир, г")},
        {QStringLiteral("РЖ"), QStringLiteral("раст. жир, г")},
        {QStringLiteral("Моно"), QStringLiteral("Моно и дисахара (углеводы), г")},
        {QStringLiteral("Кр"), QStringLiteral("Крахмал, г")},
        {QStringLiteral("Кл"), QStringLiteral("Клетчатка, г")},
        {QStringLiteral("ОргК"), QStringLiteral("Органические кислоты, г")},
        {QStringLiteral("Зола"), QStringLiteral("Зола, г")},
        {QStringLiteral("Y"), QStringLiteral("Йод")},
        {QStringLiteral("A"), QStringLiteral("A-каротин")},
        {QStringLiteral("B"), QStringLiteral("Вит. гр. В")},
        {QStringLiteral("E"), QStringLiteral("Витамин E")},
        {QStringLiteral("B1"), QStringLiteral("Витамин B1")},
        {QStringLiteral("B2"), QStringLiteral("Витамин B2")},
        {QStringLiteral("B6"), QStringLiteral("Витамин B6")},
        {QStringLiteral("B12"), QStringLiteral("Витамин B12")},
        {QStringLiteral("D"), QStringLiteral("Витамин D")},
        {QStringLiteral("PP"), QStringLiteral("Витамин PP")},
        {QStringLiteral("C"), QStringLiteral("Витамин C")},
        {QStringLiteral("ЭЦ"), QStringLiteral("Калорийность, ккал")},
        {QStringLiteral("РЭ"), QStringLiteral("Ретиноловый эквивалент")},
        {QStringLiteral("ТЭ"), QStringLiteral("Токоферолэквивалент")},
    };
    return captions.value(column, column); // Na, K, Ca … keep their symbols
}

NormsForm::NormsForm(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , context_(context)
    , normGrid_(new QTableWidget(this))
    , productGrid_(new QTableWidget(this))
{
    setWindowTitle(QStringLiteral("Физиологические нормы"));
    setObjectName(QStringLiteral("fiz_norm"));
    normGrid_->setObjectName(QStringLiteral("normGrid"));
    productGrid_->setObjectName(QStringLiteral("normProdsGrid"));
    for (QTableWidget *grid : {normGrid_, productGrid_}) {
        grid->verticalHeader()->hide();
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->setSelectionMode(QAbstractItemView::SingleSelection);
    }
    productGrid_->horizontalHeader()->setStretchLastSection(true);

    auto *normButtons = new QHBoxLayout;
    QPushButton *add = button(QStringLiteral("Добавить"), "addNorm", this);
    QPushButton *remove = button(QStringLiteral("Удалить"), "removeNorm", this);
    QPushButton *save = button(QStringLiteral("Сохранить в файл..."), "saveNormFile", this);
    QPushButton *load = button(QStringLiteral("Загрузить из файла..."), "loadNormFile", this);
    QPushButton *all = button(QStringLiteral("Сохранить все нормы..."), "exportAllNorms", this);
    for (QPushButton *b : {add, remove, save, load, all})
        normButtons->addWidget(b);
    normButtons->addStretch(1);
    auto *productButtons = new QHBoxLayout;
    QPushButton *addProduct = button(QStringLiteral("Добавить"), "addProductRow", this);
    QPushButton *removeProduct = button(QStringLiteral("Удалить"), "removeProductRow", this);
    productButtons->addWidget(new QLabel(QStringLiteral("Продуктовый набор"), this));
    productButtons->addWidget(addProduct);
    productButtons->addWidget(removeProduct);
    productButtons->addStretch(1);

    auto *upper = new QWidget(this);
    auto *upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->addWidget(normGrid_, 1);
    upperLayout->addLayout(normButtons);
    auto *lower = new QWidget(this);
    auto *lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addLayout(productButtons);
    lowerLayout->addWidget(productGrid_, 1);
    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(upper);
    split->addWidget(lower);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(split);

    connect(add, &QPushButton::clicked, this, [this] { addNorm(); });
    connect(remove, &QPushButton::clicked, this, [this] { removeNorm(normGrid_->currentRow()); });
    connect(addProduct, &QPushButton::clicked, this, [this] { addProductRow(); });
    connect(removeProduct, &QPushButton::clicked, this, [this] { removeProductRow(productGrid_->currentRow()); });
    connect(save, &QPushButton::clicked, this, [this] { chooseFileToSave(); });
    connect(load, &QPushButton::clicked, this, [this] { chooseFileToLoad(); });
    connect(all, &QPushButton::clicked, this, [this] { chooseExportFolder(); });
    connect(normGrid_, &QTableWidget::itemChanged, this, &NormsForm::normCellChanged);
    connect(productGrid_, &QTableWidget::itemChanged, this, &NormsForm::productCellChanged);
    connect(normGrid_, &QTableWidget::currentCellChanged, this, [this] { fillProducts(); });

    base_ = openMenuBase(context_);
    if (base_)
        norms_ = std::make_unique<NormBase>(context_.connections, base_->number(), context_.prompter);
    reload();
}

NormsForm::~NormsForm() = default;

void NormsForm::reload(std::optional<qint64> select)
{
    if (!norms_)
        return;
    if (!select)
        select = currentCode();
    const Result<std::vector<NormRecord>> all = norms_->all();
    if (!all) {
        context_.prompter.error(QStringLiteral("Ошибка базы физ. норм, перезагрузите форму"));
        return;
    }
    records_ = *all;
    columns_ = QStringList {kCode, kName} + norms_->valueColumns();
    filling_ = true;
    normGrid_->clear();
    normGrid_->setColumnCount(static_cast<int>(columns_.size()));
    QStringList headers;
    for (const QString &c : columns_)
        headers << caption(c);
    normGrid_->setHorizontalHeaderLabels(headers);
    normGrid_->setRowCount(static_cast<int>(records_.size()));
    int selectRow = records_.empty() ? -1 : 0;
    for (int r = 0; r < static_cast<int>(records_.size()); ++r) {
        const NormRecord &n = records_[static_cast<std::size_t>(r)];
        if (select && n.code == *select)
            selectRow = r;
        for (int c = 0; c < columns_.size(); ++c) {
            QString text;
            if (c == 0)
                text = QString::number(n.code);
            else if (c == 1)
                text = n.name;
            else if (const auto v = n.value(columns_[c]))
                text = formatNumber(*v);
            auto *item = new QTableWidgetItem(text);
            if (c == 0)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            normGrid_->setItem(r, c, item);
        }
    }
    normGrid_->resizeColumnsToContents();
    filling_ = false;
    if (selectRow >= 0)
        normGrid_->setCurrentCell(selectRow, 1);
    fillProducts();
}

void NormsForm::selectNorm(int row)
{
    normGrid_->setCurrentCell(row, 1);
}

std::optional<qint64> NormsForm::currentCode() const
{
    const int row = normGrid_->currentRow();
    if (row < 0 || row >= static_cast<int>(records_.size()))
        return std::nullopt;
    return records_[static_cast<std::size_t>(row)].code;
}

void NormsForm::fillProducts()
{
    // Called from reload() too (the current cell moves while it fills).
    const bool wasFilling = filling_;
    filling_ = true;
    productGrid_->clear();
    productGrid_->setColumnCount(3);
    productGrid_->setHorizontalHeaderLabels(
        {QStringLiteral("Наименование продукта"), QStringLiteral("Коды продуктов"), QStringLiteral("Норма")});
    const int row = normGrid_->currentRow();
    if (row < 0 || row >= static_cast<int>(records_.size())) {
        productGrid_->setRowCount(0);
        filling_ = wasFilling;
        return;
    }
    const std::vector<ProductSetNorm> &set = records_[static_cast<std::size_t>(row)].products;
    productGrid_->setRowCount(static_cast<int>(set.size()));
    for (int r = 0; r < static_cast<int>(set.size()); ++r) {
        const ProductSetNorm &p = set[static_cast<std::size_t>(r)];
        productGrid_->setItem(r, 0, new QTableWidgetItem(p.groupName.toString()));
        productGrid_->setItem(r, 1, new QTableWidgetItem(p.codeProds.toString()));
        productGrid_->setItem(r, 2, new QTableWidgetItem(valueText(p.norm)));
    }
    productGrid_->resizeColumnsToContents();
    filling_ = wasFilling;
}

void NormsForm::normCellChanged(QTableWidgetItem *item)
{
    if (filling_ || !norms_ || !item || item->column() == 0)
        return;
    const int row = item->row();
    if (row < 0 || row >= static_cast<int>(records_.size()))
        return;
    const qint64 code = records_[static_cast<std::size_t>(row)].code;
    if (const Status s = norms_->setValue(code, columns_[item->column()], item->text()); !s)
        context_.prompter.warning(s.error());
    reload(code); // the grid shows what the base holds
}

void NormsForm::productCellChanged(QTableWidgetItem *item)
{
    const int normRow = normGrid_->currentRow();
    if (filling_ || !norms_ || !item || normRow < 0)
        return;
    const NormRecord &norm = records_[static_cast<std::size_t>(normRow)];
    if (item->row() >= static_cast<int>(norm.products.size()))
        return;
    const qint64 code = norm.code;
    const Status s = norms_->setProductValue(
        norm.products[static_cast<std::size_t>(item->row())].code, kProductColumns[item->column()], item->text());
    if (!s)
        context_.prompter.warning(s.error());
    reload(code);
}

bool NormsForm::addNorm()
{
    if (!norms_ || !context_.prompter.confirm(QStringLiteral("Добавить новую норму ?")))
        return false;
    NormRecord n;
    n.name = QStringLiteral("Новая норма");
    const Result<qint64> code = norms_->insert(n);
    if (!code) {
        context_.prompter.warning(code.error());
        return false;
    }
    reload(*code);
    return true;
}

bool NormsForm::removeNorm(int row)
{
    if (!norms_)
        return false;
    if (row < 0 || row >= static_cast<int>(records_.size())) {
        context_.prompter.warning(kNormUnknownText.toString());
        return false;
    }
    const NormRecord &n = records_[static_cast<std::size_t>(row)];
    if (!context_.prompter.confirm(QStringLiteral("Удалить норму для '") + n.name + u'\''))
        return false;
    if (const Status s = norms_->remove(n.code); !s) {
        context_.prompter.warning(s.error());
        reload();
        return false;
    }
    reload();
    return true;
}

bool NormsForm::addProductRow()
{
    const std::optional<qint64> code = currentCode();
    if (!norms_ || !code)
        return false;
    if (const Result<qint64> added = norms_->addProductRow(*code, QStringLiteral("Новый продукт")); !added) {
        context_.prompter.warning(added.error());
        return false;
    }
    reload(code);
    return true;
}

bool NormsForm::removeProductRow(int row)
{
    const int normRow = normGrid_->currentRow();
    if (!norms_ || normRow < 0)
        return false;
    const NormRecord &n = records_[static_cast<std::size_t>(normRow)];
    if (row < 0 || row >= static_cast<int>(n.products.size()))
        return false;
    const ProductSetNorm &p = n.products[static_cast<std::size_t>(row)];
    if (!context_.prompter.confirm(QStringLiteral("Удалить норматив '") + p.groupName.toString() + u'\''))
        return false;
    const qint64 code = n.code;
    if (const Status s = norms_->removeProductRow(p.code); !s)
        context_.prompter.warning(s.error());
    reload(code);
    return true;
}

bool NormsForm::saveToFile(const QString &path)
{
    const std::optional<qint64> code = currentCode();
    if (!norms_ || !code)
        return false;
    const Result<NormRecord> norm = norms_->loadByCode(*code);
    if (!norm) {
        context_.prompter.warning(norm.error());
        return false;
    }
    const Status s = saveNormFile(*norm, path, context_.clock.now(), context_.prompter);
    if (!s && !s.error().isEmpty())
        context_.prompter.warning(s.error());
    return s.ok();
}

bool NormsForm::loadFromFile(const QString &path)
{
    if (!norms_)
        return false;
    const Result<qint64> code = importNormFile(*norms_, path, context_.prompter);
    if (!code)
        return false;
    context_.settings.save(Section::Data, QStringLiteral("sLastFileFZ"), QFileInfo(path).absolutePath());
    reload(*code);
    return true;
}

bool NormsForm::exportAll(const QString &folder)
{
    if (!norms_)
        return false;
    const Result<int> written = exportAllNorms(*norms_, folder, context_.clock.now(), context_.prompter);
    if (!written && !written.error().isEmpty())
        context_.prompter.warning(written.error());
    return written.ok();
}

void NormsForm::chooseFileToSave()
{
    const int row = normGrid_->currentRow();
    if (row < 0)
        return;
    const QString folder = context_.settings.get(Section::Data, QStringLiteral("sLastFileFZ"));
    const QString suggested
        = QDir(folder).filePath(records_[static_cast<std::size_t>(row)].name + QStringLiteral(".fz"));
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранение физиологичечских норм..."),
        suggested, kFileFilter, nullptr, QFileDialog::DontConfirmOverwrite);
    if (!file.isEmpty() && saveToFile(file))
        context_.settings.save(Section::Data, QStringLiteral("sLastFileFZ"), QFileInfo(file).absolutePath());
}

void NormsForm::chooseFileToLoad()
{
    const QString folder = context_.settings.get(Section::Data, QStringLiteral("sLastFileFZ"));
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("Загрузка физиологических норм"), folder, QStringLiteral("Физ. нормы (*.fz)"));
    if (!file.isEmpty())
        loadFromFile(file);
}

void NormsForm::chooseExportFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Папка для сохранения норм"),
        context_.settings.get(Section::Data, QStringLiteral("sDegFolderForSaveNorm")));
    if (!folder.isEmpty())
        exportAll(folder);
}

} // namespace kulvera
