#include "documents/DefaultTemplates.h"

#include "documents/CalcCard.h"
#include "documents/CardLayout.h"
#include "documents/CardWriter.h"
#include "documents/SheetWriter.h"
#include "documents/TemplateFiles.h"

#include <QDir>
#include <QFileInfo>

#include <functional>

namespace kulvera {
namespace {

CellLook bold()
{
    CellLook l;
    l.bold = true;
    return l;
}

CellLook header()
{
    CellLook l;
    l.bold = true;
    l.thinBorder = true;
    l.wrap = true;
    return l;
}

QString ref(const QString &sheet, const QString &area)
{
    return u'\'' + sheet + QStringLiteral("'!") + area;
}

const QString kMicrobiologyCaptions[] = {
    QStringLiteral("КМАФАнМ, КОЕ/г, не более……………………………………………"),
    QStringLiteral("Масса продукта (г), в которой не допускаются:"),
    QStringLiteral("Бактерии группы кишечных палочек , колиформы (E.coli)…"),
    QStringLiteral("Бактерии рода протей………………………………………………………"),
    QStringLiteral("S.aureus………………………………………………………………………"),
    QStringLiteral("Патогенные микроорганизмы , в том числе сальмонеллы………………"),
    QStringLiteral("Дрожжи, КОЕ/г не более……………………………………………………"),
    QStringLiteral("Плесени, КОЕ/г не более……………………………………………………"),
};

} // namespace

XlsxWorkbook fixedCardTemplate(int cardType)
{
    const bool confectionery = cardType == 2;
    XlsxWorkbook book = XlsxWorkbook::blank(
        cardType == 3 ? QStringLiteral("ТК") : QStringLiteral("ТТК"), QStringLiteral("Times New Roman"), 10);
    SheetWriter w(book);
    const CardLayout l = CardLayout::defaults();
    const double widths[] = {5, 16, 32, 11, 11, 11, 11, 11, 10, 10};
    for (int c = 0; c < 10; ++c)
        book.setColumnWidth(c + 1, widths[c]);

    w.text(l.head.row - 1, l.head.col - 1, QStringLiteral("Утверждаю"), bold());
    w.text(l.head.row, l.head.col - 1, QStringLiteral("_________________"));
    w.text(l.head.row + 1, l.head.col - 1, QStringLiteral("руководитель предприятия"));
    const QString title = cardType == 3 ? QStringLiteral("Технологическая карта №")
        : confectionery                 ? QStringLiteral("Технико-технологическая карта (кондитерское изделие) №")
                        : QStringLiteral("Технико-технологическая карта №");
    w.text(l.number.row, 3, title, bold());
    w.text(l.name.row, 1, QStringLiteral("Наименование изделия (блюда):"), bold());
    w.text(l.enterprise.row, 1, QStringLiteral("Предприятие:"), bold());
    w.text(l.raw.row + 1, 1,
        QStringLiteral("Требования к качеству сырья: продовольственное сырье, пищевые продукты и полуфабрикаты, "
                       "используемые для приготовления данного блюда (изделия), соответствуют требованиям "
                       "нормативных документов и имеют сертификаты соответствия и (или) удостоверения качества и "
                       "безопасности."));
    // The two long lines wrap inside the width of the table.
    CellLook wrap;
    wrap.wrap = true;
    for (int row : {l.raw.row, l.raw.row + 1}) {
        w.look(row, 1, wrap);
        book.mergeCells({row, 1}, {row, l.recountCol3});
        book.setRowHeight(row, 40);
    }
    w.text(l.titleRecount.row - 1, 1, QStringLiteral("Рецептура"), bold());

    const int top = l.titleRecount.row;
    const int sub = l.titleRecount1.row;
    auto heading = [&](int col, const QString &text) {
        w.text(top, col, text, header());
        w.look(sub, col, header());
        book.mergeCells({top, col}, {sub, col});
    };
    heading(l.codeCol, QStringLiteral("№"));
    heading(l.ndCol, QStringLiteral("Нормативный документ"));
    heading(l.nameCol, QStringLiteral("Сырье"));
    if (confectionery) {
        heading(l.svkCol, QStringLiteral("Сухие вещества, г"));
        heading(l.nettoCol, QStringLiteral("Масса нетто, г"));
        heading(l.recountCol1, QStringLiteral("Расход сырья"));
        w.look(top, l.titleKRecount.col, header());
        const QString parts[] = {QStringLiteral("Белки, г"), QStringLiteral("Жиры, г"), QStringLiteral("Углеводы, г"),
            QStringLiteral("Крахмал, г")};
        const int cols[] = {l.proteinCol, l.fatCol, l.carbCol, l.starchCol};
        for (int i = 0; i < 4; ++i)
            w.text(sub, cols[i], parts[i], header());
        book.mergeCells({top, l.proteinCol}, {top, l.starchCol});
    } else {
        heading(l.bruttoCol, QStringLiteral("Масса брутто, г"));
        heading(l.nettoCol, QStringLiteral("Масса нетто, г"));
        w.look(top, l.recountCol1, header());
        w.look(top, l.recountCol2, header());
        w.look(top, l.recountCol3, header());
        for (const CellRef &c : {l.titleRecount1, l.titleRecount2, l.titleRecount3})
            w.look(c.row, c.col, header());
        book.mergeCells({top, l.recountCol1}, {top, l.recountCol3});
    }

    w.text(l.technology.row - 1, 1, QStringLiteral("Технология приготовления"), bold());
    w.text(l.demand.row - 1, 1, QStringLiteral("Требования к оформлению, подаче и реализации"), bold());
    w.text(l.outward.row - 2, 1, QStringLiteral("Показатели качества и безопасности"), bold());
    w.text(l.outward.row - 1, 1, QStringLiteral("Органолептические показатели:"), bold());
    const std::pair<CellRef, QString> organoleptic[] = {{l.outward, QStringLiteral("Внешний вид")},
        {l.colour, QStringLiteral("Цвет")}, {l.consistence, QStringLiteral("Консистенция")},
        {l.taste, QStringLiteral("Вкус")}, {l.smell, QStringLiteral("Запах")}};
    for (const auto &[cell, caption] : organoleptic)
        w.text(cell.row, 1, caption);

    w.text(l.fhSv.row - 2, 1, QStringLiteral("Физико-химические показатели"), bold());
    w.text(l.fhSv.row - 1, 1, QStringLiteral("Показатель"), bold());
    w.text(l.fhSv.row - 1, l.fhSv.col, QStringLiteral("Содержание, %"), bold());
    const std::pair<CellRef, QString> fractions[]
        = {{l.fhSv, QStringLiteral("Массовая доля сухих веществ")}, {l.fhFat, QStringLiteral("Массовая доля жира")},
            {l.fhSugar, QStringLiteral("Массовая доля сахара")}, {l.fhAcid, QStringLiteral("Кислотность")}};
    for (const auto &[cell, caption] : fractions)
        w.text(cell.row, 1, caption);

    w.text(l.kmafanm.row - 1, 1, QStringLiteral("Микробиологические показатели"), bold());
    const CellRef mb[]
        = {l.kmafanm, {l.bgkp.row - 1, l.bgkp.col}, l.bgkp, l.proteus, l.staph, l.pathogens, l.yeasts, l.moulds};
    for (int i = 0; i < 8; ++i)
        w.text(mb[i].row, 1, kMicrobiologyCaptions[i]);
    w.text(l.mbNote.row, 1, QStringLiteral("Прим."));

    w.text(l.calProtein.row - 2, 1, QStringLiteral("Пищевая и энергетическая ценность блюда (изделия), г на 100 г"),
        bold());
    const std::pair<CellRef, QString> nutrition[]
        = {{l.calProtein, QStringLiteral("Белки")}, {l.calFat, QStringLiteral("Жиры")},
            {l.calCarbo, QStringLiteral("Углеводы")}, {l.calorie, QStringLiteral("Энергетическая ценность, ккал")}};
    for (const auto &[cell, caption] : nutrition)
        w.text(cell.row - 1, cell.col, caption, header());
    w.text(l.engineer.row, 1, QStringLiteral("Инженер-технолог"));
    w.text(l.executor.row, 1, QStringLiteral("Ответственный исполнитель"));
    return book;
}

XlsxWorkbook namedCardTemplate()
{
    const QString sheet = QStringLiteral("ТТК");
    XlsxWorkbook book = XlsxWorkbook::blank(sheet, QStringLiteral("Times New Roman"), 10);
    SheetWriter w(book);
    auto name = [&](const QString &n, const QString &area) { book.defineName(n, ref(sheet, area)); };
    const double widths[] = {5, 32, 11, 11, 11, 11, 11, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
    for (int c = 0; c < 20; ++c)
        book.setColumnWidth(c + 1, widths[c]);

    w.text(1, 19, QStringLiteral("Версия"));
    w.number(1, 20, 1, QStringLiteral("0"));
    name(kTemplateVersionName.toString(), QStringLiteral("$T$1"));
    w.text(2, 6, QStringLiteral("Утверждаю"), bold());
    w.text(3, 6, QStringLiteral("Зав. производством"));
    name(QStringLiteral("Зав_Долж"), QStringLiteral("$F$3"));
    w.text(4, 2, QStringLiteral("Технико-технологическая карта"), bold());
    w.text(6, 1, QStringLiteral("Наименование:"), bold());
    name(QStringLiteral("Рец_Имя"), QStringLiteral("$B$6"));
    w.text(7, 1, QStringLiteral("Предприятие:"), bold());
    name(QStringLiteral("ПОП_Имя"), QStringLiteral("$B$7"));
    w.text(8, 1, QStringLiteral("Источник рецептуры:"));
    name(QStringLiteral("Рец_Источник"), QStringLiteral("$C$8"));
    w.text(9, 1, QStringLiteral("Санитарные правила:"));
    name(QStringLiteral("СТН"), QStringLiteral("$C$9"));
    w.text(10, 1, QStringLiteral("Диеты:"));
    name(QStringLiteral("Диеты"), QStringLiteral("$C$10"));

    const std::pair<QString, QString> columns[] = {{QStringLiteral("Сырье"), QStringLiteral("B")},
        {QStringLiteral("Брутто, г"), QStringLiteral("C")}, {QStringLiteral("Нетто, г"), QStringLiteral("D")},
        {QString(), QStringLiteral("E")}, {QString(), QStringLiteral("F")}, {QString(), QStringLiteral("G")},
        {QStringLiteral("Сухие в-ва, г"), QStringLiteral("H")}, {QStringLiteral("Белки, г"), QStringLiteral("I")},
        {QStringLiteral("Белки жив., г"), QStringLiteral("J")}, {QStringLiteral("Жиры, г"), QStringLiteral("K")},
        {QStringLiteral("Жиры раст., г"), QStringLiteral("L")}, {QStringLiteral("Углеводы, г"), QStringLiteral("M")},
        {QStringLiteral("Ca, мг"), QStringLiteral("N")}, {QStringLiteral("Fe, мг"), QStringLiteral("O")},
        {QStringLiteral("B1, мг"), QStringLiteral("P")}, {QStringLiteral("B2, мг"), QStringLiteral("Q")},
        {QStringLiteral("C, мг"), QStringLiteral("R")}};
    int col = 2;
    for (const auto &[caption, letter] : columns) {
        if (!caption.isEmpty())
            w.text(13, col, caption, header());
        ++col;
    }
    name(QStringLiteral("Расход_Сырья"), QStringLiteral("$E$12"));
    name(QStringLiteral("Порции1"), QStringLiteral("$E$13"));
    name(QStringLiteral("Порции2"), QStringLiteral("$F$13"));
    name(QStringLiteral("Порции3"), QStringLiteral("$G$13"));
    for (int c = 5; c <= 7; ++c)
        w.look(13, c, header());
    name(QStringLiteral("Рец_Сырье"), QStringLiteral("$B$14:$B$65"));
    const std::pair<const char16_t *, const char16_t *> table[]
        = {{u"Рец_Брутто", u"$C$14"}, {u"Рец_Нетто", u"$D$14"}, {u"Рец_Пер1", u"$E$14"}, {u"Рец_Пер2", u"$F$14"},
            {u"Рец_Пер3", u"$G$14"}, {u"Рец_СВ", u"$H$14"}, {u"Рец_Бел", u"$I$14"}, {u"Рец_БелЖ", u"$J$14"},
            {u"Рец_Жир", u"$K$14"}, {u"Рец_ЖирР", u"$L$14"}, {u"Рец_Угл", u"$M$14"}, {u"Рец_Ca", u"$N$14"},
            {u"Рец_Fe", u"$O$14"}, {u"Рец_B1", u"$P$14"}, {u"Рец_B2", u"$Q$14"}, {u"Рец_C", u"$R$14"}};
    for (const auto &[n, area] : table)
        name(QString::fromUtf16(n), QString::fromUtf16(area));

    w.text(66, 2, QStringLiteral("Выход готового блюда"), bold());
    name(QStringLiteral("Рец_Выход"), QStringLiteral("$D$66"));
    name(QStringLiteral("Рец_г"), QStringLiteral("$C$66"));
    name(QStringLiteral("Выход1"), QStringLiteral("$E$66"));
    name(QStringLiteral("Выход2"), QStringLiteral("$F$66"));
    name(QStringLiteral("Выход3"), QStringLiteral("$G$66"));
    w.text(67, 2, QStringLiteral("Сумма масс нетто"));
    name(QStringLiteral("Рец_Выход_Суммой"), QStringLiteral("$D$67"));
    w.text(68, 2, QStringLiteral("Размер порции, см"));
    name(QStringLiteral("Рец_см"), QStringLiteral("$D$68"));

    // The picture block: the program reads these cells, the user sizes the frame.
    w.text(70, 1, QStringLiteral("Фото"));
    name(QStringLiteral("ЦФото"), QStringLiteral("$B$70"));
    name(QStringLiteral("Фото_Имя"), QStringLiteral("$C$70"));
    name(QStringLiteral("Фото_коэф"), QStringLiteral("$D$70"));
    name(QStringLiteral("Фото_М_Разм"), QStringLiteral("$E$70"));

    w.text(72, 1, QStringLiteral("Показатели для технико-технологической карты"), bold());
    name(QStringLiteral("Скрыть_ТТК"), QStringLiteral("$72:$73"));
    w.text(74, 1, QStringLiteral("Показатели для технологической карты"), bold());
    name(QStringLiteral("Скрыть_ТК"), QStringLiteral("$74:$75"));
    w.text(76, 1, QStringLiteral("Показатели для алкогольных напитков"), bold());
    name(QStringLiteral("Скрыть_ТТК_алк"), QStringLiteral("$76:$77"));
    w.text(78, 1, QStringLiteral("Пищевая ценность на 100 г"), bold());
    name(QStringLiteral("Скрыть_Пищ_100г"), QStringLiteral("$78:$79"));
    w.text(80, 1, QStringLiteral("Пищевая ценность (кратко)"), bold());
    name(QStringLiteral("Скрыть_Пищ_Сокр"), QStringLiteral("$80:$80"));
    w.text(81, 1, QStringLiteral("Пищевая ценность (полностью)"), bold());
    name(QStringLiteral("Скрыть_Пищ_Полн"), QStringLiteral("$81:$81"));
    name(QStringLiteral("Скрывать_у_ТК"), QStringLiteral("$82:$82"));
    name(QStringLiteral("Скрывать_у_ТТК"), QStringLiteral("$83:$83"));
    name(QStringLiteral("Скрыть_Кол_Экс"), QStringLiteral("$S:$S"));
    name(QStringLiteral("Скрыть_Кол_Пер"), QStringLiteral("$E:$G"));
    name(QStringLiteral("Скрыть_Кол_Алк"), QStringLiteral("$S:$S"));
    name(QStringLiteral("Скрывать_Полный_ХС"), QStringLiteral("$N:$R"));

    w.text(85, 1, QStringLiteral("Ответственные:"));
    name(QStringLiteral("Ответственные"), QStringLiteral("$C$85"));
    w.text(86, 1, QStringLiteral("Ответственный:"));
    name(QStringLiteral("Отв_Долж"), QStringLiteral("$B$86"));
    name(QStringLiteral("Ответственный"), QStringLiteral("$C$86"));
    return book;
}

XlsxWorkbook fullCompositionTemplate()
{
    XlsxWorkbook book = XlsxWorkbook::blank(QStringLiteral("Химический состав"), QStringLiteral("Times New Roman"), 10);
    SheetWriter w(book);
    book.setColumnWidth(1, 40);
    book.setColumnWidth(2, 14);
    book.setColumnWidth(3, 14);
    w.text(1, 1, QStringLiteral("Химический состав блюда"), bold());
    w.text(3, 1, QStringLiteral("Показатель"), header());
    w.text(3, 2, QStringLiteral("В блюде"), header());
    w.text(3, 3, QStringLiteral("На 100 г"), header());
    book.defineName(QStringLiteral("Рец_Имя"), ref(QStringLiteral("Химический состав"), QStringLiteral("$A$2")));
    book.defineName(QStringLiteral("Старт"), ref(QStringLiteral("Химический состав"), QStringLiteral("$A$4")));
    return book;
}

XlsxWorkbook productStatementTemplate()
{
    XlsxWorkbook book = XlsxWorkbook::blank(QStringLiteral("Ведомость"), QStringLiteral("Times New Roman"), 10);
    SheetWriter w(book);
    const double widths[] = {8, 44, 10, 12};
    for (int c = 0; c < 4; ++c)
        book.setColumnWidth(c + 1, widths[c]);
    w.text(1, 1, QStringLiteral("Ведомость продуктов"), bold());
    const QString captions[] = {QStringLiteral("Код"), QStringLiteral("Наименование"), QStringLiteral("Ед. изм."),
        QStringLiteral("Цена за ед.")};
    for (int c = 0; c < 4; ++c)
        w.text(3, c + 1, captions[c], header());
    book.defineName(QStringLiteral("Старт"), ref(QStringLiteral("Ведомость"), QStringLiteral("$A$4")));
    return book;
}

XlsxWorkbook recipeRegisterTemplate()
{
    XlsxWorkbook book = XlsxWorkbook::blank(QStringLiteral("Реестр"), QStringLiteral("Times New Roman"), 10);
    SheetWriter w(book);
    const double widths[] = {6, 10, 50, 12, 30};
    for (int c = 0; c < 5; ++c)
        book.setColumnWidth(c + 1, widths[c]);
    w.text(1, 1, QStringLiteral("Реестр блюд"), bold());
    const QString captions[] = {QStringLiteral("№"), QStringLiteral("№ карты"), QStringLiteral("Наименование"),
        QStringLiteral("Выход"), QStringLiteral("Источник рецептуры")};
    for (int c = 0; c < 5; ++c)
        w.text(3, c + 1, captions[c], header());
    book.defineName(QStringLiteral("Старт"), ref(QStringLiteral("Реестр"), QStringLiteral("$A$4")));
    return book;
}

Result<QStringList> createMissingTemplates(const QString &folder, const SettingsAccess &settings)
{
    using R = Result<QStringList>;
    if (!QDir().mkpath(folder))
        return R::failure(QStringLiteral("Не удалось создать папку шаблонов: ") + folder);
    const std::pair<const char16_t *, std::function<XlsxWorkbook()>> templates[] = {
        {u"Shablon_Excel_TTK", [] { return fixedCardTemplate(1); }},
        {u"Shablon_Excel_TTKk", [] { return fixedCardTemplate(2); }},
        {u"Shablon_Excel_TK", [] { return fixedCardTemplate(3); }},
        {u"Shablon_Excel_TTK_ST", [] { return namedCardTemplate(); }},
        {u"Shablon_Excel_Full_HS", [] { return fullCompositionTemplate(); }},
        {u"Shablon_Excel_Ved_Prod", [] { return productStatementTemplate(); }},
        {u"sDReestr", [] { return recipeRegisterTemplate(); }},
        {u"sCalcTempl", [] { return calcCardTemplate(); }},
    };
    QStringList written;
    for (const auto &[key, make] : templates) {
        QString file = templateSetting(settings, QString::fromUtf16(key)).trimmed();
        if (file.isEmpty() || findTemplate(folder, file))
            continue;
        // An older binary name gets our file under the same stem.
        const QFileInfo info(file);
        const QString suffix = info.suffix().toLower();
        if (suffix != u"xlsx" && suffix != u"xltx")
            file = info.completeBaseName() + QStringLiteral(".xlsx");
        const QString path = QDir(folder).filePath(file);
        if (const Status s = make().save(path); !s)
            return R::failure(s.error());
        written.append(path);
    }
    return written;
}

} // namespace kulvera
