#include "documents/CardWriter.h"

#include "common/NumberText.h"
#include "shell/MassUnits.h"

namespace kulvera {
namespace {

const CellLook kBold = [] {
    CellLook l;
    l.bold = true;
    return l;
}();
const CellLook kItalic = [] {
    CellLook l;
    l.italic = true;
    return l;
}();

CellLook framed(CellLook look = {})
{
    look.thinBorder = true;
    return look;
}

QString portionsTitle(double count, const CardFormats &f)
{
    return formatNumber(count) + u' ' + f.portionsWord;
}

// Paragraph rows from `first` to `last`: each row one paragraph wrapped to
// `width`, its height one line height per line; rows left over are hidden.
void writeTextRows(
    SheetWriter &out, const CellRef &first, const CellRef &last, const QString &text, int width, const CardFormats &f)
{
    QStringList paragraphs;
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QString &p : normalized.split(u'\n')) {
        if (!p.trimmed().isEmpty() || !f.deleteEmptyLines)
            paragraphs.append(p.trimmed());
    }
    while (!paragraphs.isEmpty() && paragraphs.last().isEmpty())
        paragraphs.removeLast();
    const int rows = std::max(1, last.row - first.row + 1);
    // Paragraphs beyond the last row go into the last row.
    while (paragraphs.size() > rows) {
        const QString tail = paragraphs.takeLast();
        paragraphs.last() += u' ' + tail;
    }
    CellLook wrap;
    wrap.wrap = true;
    for (int i = 0; i < rows; ++i) {
        const int row = first.row + i;
        if (i >= paragraphs.size()) {
            out.hideRow(row);
            continue;
        }
        const QStringList lines = wrapText(paragraphs[i], width, f.deleteEmptyLines);
        out.text(row, first.col, lines.join(u'\n'), wrap);
        out.rowHeight(row, f.lineHeight * std::max<qsizetype>(1, lines.size()));
    }
}

void writeWrapped(SheetWriter &out, const CellRef &cell, const QString &text, int width, const CardFormats &f)
{
    const QStringList lines = wrapText(text, width, f.deleteEmptyLines);
    CellLook wrap;
    wrap.wrap = true;
    out.text(cell, lines.join(u'\n'), wrap);
    out.rowHeight(cell.row, f.lineHeight * std::max<qsizetype>(1, lines.size()));
}

QString indicator(const CardData &card, int n)
{
    if (!card.microbiology)
        return {};
    const QString v = (*card.microbiology)[static_cast<size_t>(n - 1)].trimmed();
    return n == 2 || n == 8 || n == 9 ? powerText(v) : v;
}

} // namespace

RecountUnit recountUnit(const CardFormats &formats)
{
    for (const MassUnit &u : kMassUnits) {
        if (formats.unitWord.trimmed() == QStringView(u.abbreviation))
            return {QString::fromUtf16(u.abbreviation), u.perGram};
    }
    return {QStringLiteral("г"), 1};
}

void fillFixedCard(SheetWriter &out, const CardData &card, const CardLayout &l, const CardFormats &f)
{
    const QString mass = f.massFormat();
    const QString value = f.valueFormat();
    const bool confectionery = card.cardType == 2;
    const RecountUnit unit = recountUnit(f);

    out.text(l.name, card.name);
    out.text(l.number, card.number);
    out.text(l.enterprise, card.enterprise);
    out.text(l.raw, QStringLiteral("Перечень сырья: ") + card.composition);

    // The position table.
    const int recountCols[3] = {l.recountCol1, l.recountCol2, l.recountCol3};
    const int recounts = confectionery ? 1 : 3;
    int row = l.startRow;
    for (const CardLine &line : card.lines) {
        const CellLook look = line.kind == CardLine::Kind::SemiFinished ? kBold
            : line.kind == CardLine::Kind::Retention                    ? kItalic
                                                                        : CellLook {};
        if (line.number > 0)
            out.number(row, l.codeCol, line.number, QStringLiteral("0"), framed());
        out.text(row, l.ndCol, line.nd, framed());
        out.text(row, l.nameCol, line.name, framed(look));
        if (confectionery) {
            out.number(row, l.svkCol, line.sv, mass, framed(look));
            out.number(row, l.proteinCol, line.bel, value, framed(look));
            out.number(row, l.fatCol, line.gir, value, framed(look));
            out.number(row, l.carbCol, f.splitCarbohydrates ? line.md : line.md + line.kr, value, framed(look));
            if (f.splitCarbohydrates)
                out.number(row, l.starchCol, line.kr, value, framed(look));
        } else if (line.brutto) {
            out.number(row, l.bruttoCol, *line.brutto, mass, framed(look));
        } else {
            out.look(row, l.bruttoCol, framed());
        }
        if (line.netto)
            out.number(row, l.nettoCol, *line.netto, mass, framed(look));
        const double quantity[3]
            = {confectionery ? f.confectioneryQuantity : f.portions[0], f.portions[1], f.portions[2]};
        for (int i = 0; i < recounts; ++i) {
            if (line.netto && line.kind != CardLine::Kind::SemiFinished)
                out.number(row, recountCols[i], *line.netto * quantity[i] * unit.perGram, mass, framed(look));
            else
                out.look(row, recountCols[i], framed());
        }
        ++row;
    }
    for (; row <= l.endRow; ++row)
        out.hideRow(row);

    // Recalculation titles and the output line.
    if (confectionery) {
        out.text(l.titleKRecount,
            QStringLiteral("Расход сырья, ") + unit.name + QStringLiteral(" на ")
                + formatNumber(f.confectioneryQuantity) + QStringLiteral(" 1"));
    } else {
        out.text(l.titleRecount, QStringLiteral("Расход сырья нетто, ") + unit.name + QStringLiteral(" на"));
        out.text(l.titleRecount1, portionsTitle(f.portions[0], f));
        out.text(l.titleRecount2, portionsTitle(f.portions[1], f));
        out.text(l.titleRecount3, portionsTitle(f.portions[2], f));
    }
    const int outputRow = l.endRow + 1;
    out.text(outputRow, l.nameCol, QStringLiteral("Выход готового блюда"), framed(kBold));
    out.number(outputRow, l.nettoCol, card.output, mass, framed(kBold));
    if (!confectionery) {
        for (int i = 0; i < recounts; ++i)
            out.number(outputRow, recountCols[i], card.output * f.portions[i] * unit.perGram, mass, framed(kBold));
    }

    // Texts.
    writeTextRows(out, l.technology, l.technologyLast, card.texts[0], f.technologyWidth, f);
    writeWrapped(out, l.demand, card.texts[1], f.organolepticWidth, f);
    const CellRef organoleptic[5] = {l.outward, l.colour, l.consistence, l.taste, l.smell};
    for (int i = 0; i < 5; ++i)
        writeWrapped(out, organoleptic[i], card.texts[static_cast<size_t>(i + 2)], f.organolepticWidth, f);

    // Quality: physico-chemical fractions and microbiology.
    out.number(l.fhSv, card.dryMatter, value);
    out.number(l.fhFat, card.fat, value);
    out.number(l.fhSugar, card.sugar, value);
    const std::pair<CellRef, int> cells[]
        = {{l.kmafanm, 2}, {l.bgkp, 3}, {l.proteus, 5}, {l.staph, 6}, {l.pathogens, 7}, {l.yeasts, 8}, {l.moulds, 9}};
    for (const auto &[cell, n] : cells)
        out.text(cell, indicator(card, n));
    if (card.microbiology) {
        QStringList notes;
        for (int n = 11; n <= 14; ++n)
            if (!indicator(card, n).isEmpty())
                notes << indicator(card, n);
        if (!notes.isEmpty())
            out.text(l.mbNote, notes.join(u' '));
    }

    // Nutrition per 100 g and the persons.
    out.number(l.calProtein, card.bel, value);
    out.number(l.calFat, card.gir, value);
    out.number(l.calCarbo, card.carbohydrates, value);
    out.number(l.calorie, card.kcal, value);
    out.text(l.engineer, card.engineer);
    out.text(l.executor, card.executor);
    out.text(l.head, card.head);

    // What each card type leaves out.
    if (!confectionery) {
        for (int col : {l.carbCol, l.starchCol}) {
            if (col != l.recountCol1 && col != l.recountCol2 && col != l.recountCol3 && col != l.nettoCol
                && col != l.bruttoCol)
                out.hideColumn(col);
        }
    } else if (!f.splitCarbohydrates) {
        out.hideColumn(l.starchCol);
    }
    if (card.cardType == 3) {
        for (int r = std::max(1, l.fhSv.row - 2); r <= l.mbNote.row; ++r)
            out.hideRow(r);
    } else if (card.cardType == 4) {
        for (int r = std::max(1, l.kmafanm.row - 1); r <= l.mbNote.row; ++r)
            out.hideRow(r);
    }
}

void fillNamedCard(SheetWriter &out, const CardData &card, const CardFormats &f, const CardOptions &options)
{
    XlsxWorkbook &book = out.book();
    const QString mass = f.massFormat();
    const QString value = f.valueFormat();
    const RecountUnit unit = recountUnit(f);
    auto cellOf = [&](const QString &name) -> std::optional<CellRange> {
        if (!book.hasName(name))
            return std::nullopt;
        const Result<CellRange> r = book.range(name);
        if (!r || r->sheet != 0) {
            out.fail(r ? QStringLiteral("Имя '") + name + QStringLiteral("' указывает не на лист карты") : r.error());
            return std::nullopt;
        }
        return r.value();
    };
    auto putText = [&](const QString &name, const QString &text, const CellLook &look = {}) {
        if (auto r = cellOf(name))
            out.text(r->first, text, look);
    };
    auto putNumber = [&](const QString &name, double v, const QString &format) {
        if (auto r = cellOf(name))
            out.number(r->first, v, format);
    };

    putText(QStringLiteral("Рец_Имя"), card.name);
    putText(QStringLiteral("ПОП_Имя"), card.enterprise);
    putText(QStringLiteral("Рец_Источник"), card.source);
    putText(QStringLiteral("СТН"), card.sanitaryRule);
    putText(QStringLiteral("Рец_г"), card.unit);
    putText(QStringLiteral("Расход_Сырья"), QStringLiteral("Расход сырья нетто, ") + unit.name + QStringLiteral(" на"));
    putText(QStringLiteral("Ответственный"), card.executor);
    putText(QStringLiteral("Ответственные"), card.engineer);
    putNumber(QStringLiteral("Рец_Выход"), card.output, mass);
    putNumber(QStringLiteral("Рец_Выход_Суммой"), card.nettoTotal, mass);
    for (int i = 0; i < 3; ++i) {
        putText(QStringLiteral("Порции") + QString::number(i + 1), portionsTitle(f.portions[i], f));
        putNumber(QStringLiteral("Выход") + QString::number(i + 1), card.output * f.portions[i] * unit.perGram, mass);
    }

    // The position table: from the row of "Рец_Сырье" down as far as its range reaches.
    const std::optional<CellRange> names = cellOf(QStringLiteral("Рец_Сырье"));
    if (!names) {
        out.fail(QStringLiteral("Шаблон не совместим с текущей версией программы. Не найдена ячейка 'Рец_Сырье'"));
        return;
    }
    struct Column {
        const char16_t *name;
        std::optional<int> col;
    };
    auto columnOf = [&](const char16_t *name) -> std::optional<int> {
        if (auto r = cellOf(QString::fromUtf16(name)))
            return r->first.col;
        return std::nullopt;
    };
    const auto bruttoCol = columnOf(u"Рец_Брутто");
    const auto nettoCol = columnOf(u"Рец_Нетто");
    const std::optional<int> recountCols[3] = {columnOf(u"Рец_Пер1"), columnOf(u"Рец_Пер2"), columnOf(u"Рец_Пер3")};
    using Field = double CardLine::*;
    const std::pair<const char16_t *, Field> fields[] = {{u"Рец_СВ", &CardLine::sv}, {u"Рец_Бел", &CardLine::bel},
        {u"Рец_БелЖ", &CardLine::belAnimal}, {u"Рец_Жир", &CardLine::gir}, {u"Рец_ЖирР", &CardLine::girVegetable},
        {u"Рец_Угл", &CardLine::md}, {u"Рец_Ca", &CardLine::ca}, {u"Рец_Fe", &CardLine::fe}, {u"Рец_B1", &CardLine::b1},
        {u"Рец_B2", &CardLine::b2}, {u"Рец_C", &CardLine::c}};
    std::vector<std::pair<int, Field>> composition;
    for (const auto &[name, field] : fields) {
        if (auto col = columnOf(name))
            composition.emplace_back(*col, field);
    }
    const int first = names->first.row;
    const int last = std::max(names->last.row, first);
    if (static_cast<int>(card.lines.size()) > last - first + 1)
        out.fail(tooManyPositionsText(static_cast<int>(card.lines.size())));
    int row = first;
    for (const CardLine &line : card.lines) {
        if (row > last)
            break;
        const CellLook look = line.kind == CardLine::Kind::SemiFinished ? kBold
            : line.kind == CardLine::Kind::Retention                    ? kItalic
                                                                        : CellLook {};
        out.text(row, names->first.col, line.name, framed(look));
        if (bruttoCol && line.brutto)
            out.number(row, *bruttoCol, *line.brutto, mass, framed(look));
        if (nettoCol && line.netto)
            out.number(row, *nettoCol, *line.netto, mass, framed(look));
        for (int i = 0; i < 3; ++i) {
            if (recountCols[i] && line.netto && line.kind != CardLine::Kind::SemiFinished)
                out.number(row, *recountCols[i], *line.netto * f.portions[i] * unit.perGram, mass, framed(look));
        }
        for (const auto &[col, field] : composition) {
            const double v = field == &CardLine::md && !f.splitCarbohydrates ? line.md + line.kr : line.*field;
            out.number(row, col, v, value, framed(look));
        }
        ++row;
    }
    for (; row <= last; ++row)
        out.hideRow(row);

    // Ranges hidden by card type and option.
    auto hide = [&](const QString &name) {
        const std::optional<CellRange> r = cellOf(name);
        if (!r)
            return;
        if (r->wholeColumns) {
            for (int c = r->first.col; c <= r->last.col; ++c)
                out.hideColumn(c);
        } else {
            for (int rr = r->first.row; rr <= std::min(r->last.row, r->first.row + 2000); ++rr)
                out.hideRow(rr);
        }
    };
    const int type = card.cardType;
    if (type == 3) {
        hide(QStringLiteral("Скрыть_ТК"));
        hide(QStringLiteral("Скрывать_у_ТК"));
    } else {
        hide(QStringLiteral("Скрывать_у_ТТК"));
    }
    if (type != 3)
        hide(QStringLiteral("Скрыть_ТТК"));
    if (type == 4)
        hide(QStringLiteral("Скрыть_ТТК_алк"));
    else
        hide(QStringLiteral("Скрыть_Кол_Алк"));
    if (options.fullComposition) {
        hide(QStringLiteral("Скрыть_Пищ_Сокр"));
    } else {
        hide(QStringLiteral("Скрыть_Пищ_Полн"));
        hide(QStringLiteral("Скрывать_Полный_ХС"));
    }
}

XlsxWorkbook generatedCard(const CardData &card, const CardFormats &f, int &errors)
{
    XlsxWorkbook book = XlsxWorkbook::blank(QStringLiteral("ТТК"), QStringLiteral("Times New Roman"), 11);
    SheetWriter out(book);
    const QString number = QStringLiteral("0.00");
    const RecountUnit unit = recountUnit(f);
    const double widths[] = {22, 34, 14, 14, 16};
    for (int c = 0; c < 5; ++c)
        book.setColumnWidth(c + 1, widths[c]);
    CellLook wrap;
    wrap.wrap = true;
    int row = 1;
    auto line = [&](const QString &text, const CellLook &look = {}) { out.text(row++, 1, text, look); };
    auto labelled = [&](const QString &label, const QString &text) {
        out.text(row, 1, label, kBold);
        out.text(row, 2, text);
        ++row;
    };

    out.text(row++, 4, QStringLiteral("Утверждаю"), kBold);
    out.text(row++, 4, QStringLiteral("_________________"));
    out.text(row, 4, QStringLiteral("руководитель предприятия"));
    out.text(row++, 5, card.head);
    ++row;
    out.text(row, 1, QStringLiteral("Технико-технологическая карта №"), kBold);
    out.text(row++, 3, card.number, kBold);
    labelled(QStringLiteral("Наименование изделия (блюда): "), card.name);
    labelled(QStringLiteral("Область применения: "), card.enterprise);
    line(QStringLiteral("Перечень сырья: ") + card.composition
        + (card.composition.endsWith(u'.') ? QString() : QStringLiteral(".")));
    line(QStringLiteral("Требования к качеству сырья: ")
            + QStringLiteral("продовольственное сырье, пищевые продукты и полуфабрикаты, используемые для "
                             "приготовления данного блюда (изделия), соответствуют требованиям нормативных "
                             "документов и имеют сертификаты соответствия и (или) удостоверения качества и "
                             "безопасности."),
        wrap);
    ++row;
    line(QStringLiteral("Рецептура"), kBold);
    const QString headings[] = {QStringLiteral("Нормативный документ"), QStringLiteral("Сырье"),
        QStringLiteral("Масса брутто, г"), QStringLiteral("Масса нетто, г"),
        QStringLiteral("Расход сырья нетто, ") + unit.name + QStringLiteral(" на") + formatNumber(f.portions[0])
            + QStringLiteral(" порций")};
    CellLook head = framed(kBold);
    head.wrap = true;
    for (int c = 0; c < 5; ++c)
        out.text(row, c + 1, headings[c], head);
    ++row;
    std::vector<const CardLine *> open; // semi-finished blocks not closed yet
    for (const CardLine &l : card.lines) {
        if (l.kind == CardLine::Kind::SemiFinished)
            open.push_back(&l);
        if (l.kind == CardLine::Kind::Retention && !open.empty()) {
            const CardLine *block = open.back();
            open.pop_back();
            out.look(row, 1, framed());
            out.text(row, 2, QStringLiteral("Сырьевой набор"), framed());
            out.number(row, 3, block->brutto.value_or(0), number, framed());
            out.number(row, 4, block->netto.value_or(0), number, framed());
            out.look(row, 5, framed());
            ++row;
        }
        CellLook look = l.kind == CardLine::Kind::SemiFinished ? kBold
            : l.kind == CardLine::Kind::Retention              ? kItalic
                                                               : CellLook {};
        out.text(row, 1, l.nd, framed());
        out.text(row, 2, l.name, framed(look));
        if (l.kind == CardLine::Kind::SemiFinished) {
            out.look(row, 3, framed());
            out.look(row, 4, framed());
            out.look(row, 5, framed());
            ++row;
            continue;
        }
        if (l.brutto)
            out.number(row, 3, *l.brutto, number, framed(look));
        else
            out.look(row, 3, framed());
        if (l.netto) {
            out.number(row, 4, *l.netto, number, framed(look));
            out.number(row, 5, *l.netto * f.portions[0] * unit.perGram, number, framed(look));
        }
        ++row;
        if (l.kind == CardLine::Kind::Retention) {
            // The semi-finished block ends with its raw set and output.
            out.text(row, 2, QStringLiteral("Выход"), framed(kItalic));
            out.number(row, 4, l.netto.value_or(0), number, framed(kItalic));
            out.look(row, 1, framed());
            out.look(row, 3, framed());
            out.look(row, 5, framed());
            ++row;
        }
    }
    out.text(row, 2, QStringLiteral("Выход готового блюда"), framed(kBold));
    out.number(row, 4, card.output, number, framed(kBold));
    out.look(row, 1, framed());
    out.look(row, 3, framed());
    out.look(row, 5, framed());
    row += 2;

    line(QStringLiteral("Технология приготовления"), kBold);
    line(card.texts[0], wrap);
    line(QStringLiteral("Требования к оформлению, подаче и реализации"), kBold);
    line(card.texts[1], wrap);
    line(QStringLiteral("Показатели качества и безопасности"), kBold);
    line(QStringLiteral("Органолептические показатели"), kBold);
    const QString organoleptic[5] = {QStringLiteral("Внешний вид "), QStringLiteral("Цвет "),
        QStringLiteral("Консистенция "), QStringLiteral("Вкус "), QStringLiteral("Запах ")};
    for (int i = 0; i < 5; ++i)
        labelled(organoleptic[i], card.texts[static_cast<size_t>(i + 2)]);
    ++row;
    line(QStringLiteral("Физико-химические показатели"), kBold);
    out.text(row, 1, QStringLiteral("Показатель"), framed(kBold));
    out.look(row, 2, framed());
    out.text(row++, 3, QStringLiteral("Содержание, %"), framed(kBold));
    const std::pair<QString, double> fractions[] = {
        {QStringLiteral("Массовая доля сухих веществ"), card.dryMatter},
        {QStringLiteral("Массовая доля жира"), card.fat},
        {QStringLiteral("Массовая доля сахара"), card.sugar},
        {QStringLiteral("Влажность"), card.moisture},
        {QStringLiteral("Массовая доля жира в пересчете на сухое вещество"), card.fatOnDryMatter},
        {QStringLiteral("Массовая доля сахара в пересчете на сухое вещество"), card.sugarOnDryMatter},
    };
    for (const auto &[caption, v] : fractions) {
        out.text(row, 1, caption, framed());
        out.look(row, 2, framed());
        out.number(row++, 3, v, number, framed());
    }
    ++row;
    line(QStringLiteral("Микробиологические показатели"), kBold);
    const QStringList mb = card.microbiology
        ? card.microbiologyLines
        : QStringList {QStringLiteral("КМАФАнМ, КОЕ/г, не более……………………………………………"),
            QStringLiteral("Масса продукта (г), в которой не допускаются:"),
            QStringLiteral("Бактерии группы кишечных палочек , колиформы (E.coli)…"),
            QStringLiteral("Бактерии рода протей………………………………………………………"),
            QStringLiteral("S.aureus………………………………………………………………………"),
            QStringLiteral("Патогенные микроорганизмы , в том числе сальмонеллы………………"),
            QStringLiteral("Дрожжи, КОЕ/г не более……………………………………………………"),
            QStringLiteral("Плесени, КОЕ/г не более……………………………………………………")};
    for (const QString &m : mb)
        line(m);
    ++row;
    line(QStringLiteral("Пищевая и энергетическая ценность блюда (изделия), г на 100 г"), kBold);
    const std::pair<QString, double> nutrition[] = {{QStringLiteral("Белки"), card.bel},
        {QStringLiteral("Жиры"), card.gir}, {QStringLiteral("Углеводы"), card.carbohydrates},
        {QStringLiteral("Энергетическая ценность, ккал"), card.kcal}};
    for (int i = 0; i < 4; ++i)
        out.text(row, i + 1, nutrition[i].first, framed(kBold));
    ++row;
    for (int i = 0; i < 4; ++i)
        out.number(row, i + 1, nutrition[i].second, number, framed());
    row += 2;
    out.text(row, 1, QStringLiteral("Инженер-технолог"));
    out.text(row++, 3, card.engineer);
    out.text(row, 1, QStringLiteral("Ответственный исполнитель"));
    out.text(row++, 3, card.executor);
    errors = out.errors();
    return book;
}

} // namespace kulvera
