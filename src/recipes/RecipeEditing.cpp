#include "recipes/RecipeEditing.h"

#include "products/ProductFields.h"
#include "recipes/DishBase.h"
#include "recipes/PositionKey.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace kulvera {
namespace {

constexpr int kMaxItem = 9999;

QString keyOf(const clsProds &p)
{
    return p.Kod.toString();
}

std::vector<clsProds> records(const colBludo &slot)
{
    std::vector<clsProds> out;
    out.reserve(static_cast<size_t>(slot.Count()));
    for (const clsBludo &b : slot)
        out.push_back(b.clsProds());
    return out;
}

void replaceAll(colBludo &slot, std::vector<clsProds> positions)
{
    slot.Clear();
    slot.reserve(static_cast<int>(positions.size()));
    for (clsProds &p : positions)
        slot.Add(clsBludo(std::move(p)));
}

bool isNode(const clsProds &p)
{
    return isSemiFinishedKey(keyOf(p));
}

// Pre-order: the top of the recipe in its order, each position followed by
// what it holds; positions hanging under nothing that exists come last.
std::vector<clsProds> treeOrder(const std::vector<clsProds> &positions)
{
    QHash<int, std::vector<size_t>> children;
    QSet<int> nodes;
    for (const clsProds &p : positions) {
        if (isNode(p))
            nodes.insert(itemOf(p));
    }
    std::vector<size_t> roots;
    for (size_t i = 0; i < positions.size(); ++i) {
        const int parent = parentOf(positions[i]);
        if (parent != 0 && nodes.contains(parent))
            children[parent].push_back(i);
        else
            roots.push_back(i);
    }
    std::vector<clsProds> out;
    std::vector<bool> done(positions.size(), false);
    std::vector<size_t> stack;
    for (auto it = roots.rbegin(); it != roots.rend(); ++it)
        stack.push_back(*it);
    while (!stack.empty()) {
        const size_t i = stack.back();
        stack.pop_back();
        if (done[i])
            continue; // a node that holds itself
        done[i] = true;
        out.push_back(positions[i]);
        if (isNode(positions[i])) {
            const auto &kids = children.value(itemOf(positions[i]));
            for (auto it = kids.rbegin(); it != kids.rend(); ++it)
                stack.push_back(*it);
        }
    }
    for (size_t i = 0; i < positions.size(); ++i) {
        if (!done[i])
            out.push_back(positions[i]);
    }
    return out;
}

// Indexes (zero-based) of a position and everything under it.
std::vector<size_t> subtree(const std::vector<clsProds> &positions, size_t root)
{
    std::vector<size_t> out {root};
    QSet<int> nodes;
    if (isNode(positions[root]))
        nodes.insert(itemOf(positions[root]));
    bool grew = true;
    while (grew) {
        grew = false;
        for (size_t i = 0; i < positions.size(); ++i) {
            if (std::find(out.begin(), out.end(), i) != out.end())
                continue;
            if (nodes.contains(parentOf(positions[i])) && parentOf(positions[i]) != 0) {
                out.push_back(i);
                if (isNode(positions[i]))
                    nodes.insert(itemOf(positions[i]));
                grew = true;
            }
        }
    }
    return out;
}

int maxItem(const std::vector<clsProds> &positions)
{
    int m = 0;
    for (const clsProds &p : positions)
        m = std::max(m, itemOf(p));
    return m;
}

Result<QString> keyFor(const clsProds &p, int parent, int item)
{
    const QString prefix = keyOf(p).left(3);
    return makeKey(
        isSemiFinishedKey(keyOf(p)) ? kKeySemiFinished : (prefix.isEmpty() ? kKeyProduct : prefix), parent, item);
}

Status checkParent(const colBludo &slot, int parentItem)
{
    if (parentItem == 0)
        return {};
    const int index = indexOfItem(slot, parentItem);
    if (index == 0 || !isNode(slot.item(index)->clsProds()))
        return Status::failure(QStringLiteral("Позиция может входить только в полуфабрикат"));
    return {};
}

// Everything in `source` renumbered from `firstItem` on: the old item
// numbers of its nodes map to new ones, and parents follow.
Result<std::vector<clsProds>> renumbered(
    std::vector<clsProds> source, int firstItem, const QHash<int, int> &fixedParents)
{
    QHash<int, int> map = fixedParents;
    int next = firstItem;
    for (clsProds &p : source) {
        if (next > kMaxItem)
            return Result<std::vector<clsProds>>::failure(keyNumberTooLongText());
        map.insert(itemOf(p), next++);
    }
    for (clsProds &p : source) {
        const auto key = keyFor(p, map.value(parentOf(p), 0), map.value(itemOf(p)));
        if (!key)
            return Result<std::vector<clsProds>>::failure(key.error());
        p.Kod = key.value();
    }
    return source;
}

// Where the position at one-based `index` of the slot stands among the positions in tree order
// (the size of `all` when it is not there).
size_t findInTreeOrder(const std::vector<clsProds> &all, const colBludo &slot, int index)
{
    const QString key = keyOf(slot.item(index)->clsProds());
    size_t at = 0;
    while (at < all.size() && keyOf(all[at]) != key)
        ++at;
    return at;
}

} // namespace

clsProds productPosition(const clsProds &product, double brutto, double netto)
{
    clsProds p = product;
    const double water = std::clamp(product.Voda, 0.0, 100.0);
    scaleComposition(p, netto / 100.0);
    p.sv = (100.0 - water) * netto / 100.0;
    p.Brutto = brutto;
    p.Netto = netto;
    p.ID_Prod = product.Kod.toString();
    p.Id = p.ID_Prod;
    p.Num_In_Base = QStringLiteral("0");
    if (p.Pref.isEmpty())
        p.Pref = QStringLiteral("г");
    return p;
}

int itemOf(const clsProds &position)
{
    return itemNumber(keyOf(position)).toInt();
}

int parentOf(const clsProds &position)
{
    return parentNumber(keyOf(position)).toInt();
}

Result<int> nextItemNumber(const colBludo &slot)
{
    const int next = maxItem(records(slot)) + 1;
    if (next > kMaxItem)
        return Result<int>::failure(keyNumberTooLongText());
    return next;
}

int indexOfItem(const colBludo &slot, int item)
{
    for (int i = 1; i <= slot.Count(); ++i) {
        if (itemOf(slot.item(i)->clsProds()) == item)
            return i;
    }
    return 0;
}

std::vector<int> childIndexes(const colBludo &slot, int parentItem)
{
    std::vector<int> out;
    for (int i = 1; i <= slot.Count(); ++i) {
        const clsProds &p = slot.item(i)->clsProds();
        if (parentOf(p) == parentItem && (parentItem != 0 || isTopLevel(keyOf(p))))
            out.push_back(i);
    }
    return out;
}

Result<int> addProductPosition(
    colBludo &slot, int parentItem, const clsProds *product, const MassEntry &entry, const MassRounding &rounding)
{
    using R = Result<int>;
    if (!product)
        return R::failure(noProductText());
    if (!(entry.mass > 0))
        return R::failure(noMassText());
    if (const Status s = checkParent(slot, parentItem); !s)
        return R::failure(s.error());
    const Result<PositionMasses> masses = positionMasses(entry);
    if (!masses)
        return R::failure(masses.error());
    const Result<int> item = nextItemNumber(slot);
    if (!item)
        return R::failure(item.error());
    const QString productKey = product->Kod.toString();
    const double netto = rounding.round(masses->netto, productKey);
    const double brutto = rounding.round(masses->brutto, productKey);
    clsProds p = productPosition(*product, brutto, netto);
    p.Kod = makeKey(kKeyProduct, parentItem, item.value()).value();
    if (slot.Count() > 0)
        copyHeaderFields(p, slot.item(1)->clsProds());
    slot.Add(clsBludo(std::move(p)));
    replaceAll(slot, treeOrder(records(slot)));
    return indexOfItem(slot, item.value());
}

Result<int> addSemiFinishedPosition(
    colBludo &slot, int parentItem, const QString &name, const QString &lossType, const QString &output)
{
    using R = Result<int>;
    if (name.trimmed().isEmpty())
        return R::failure(QStringLiteral("Не указано наименование полуфабриката"));
    if (const Status s = checkParent(slot, parentItem); !s)
        return R::failure(s.error());
    const Result<int> item = nextItemNumber(slot);
    if (!item)
        return R::failure(item.error());
    clsProds p;
    p.Kod = makeKey(kKeySemiFinished, parentItem, item.value()).value();
    p.FullName = name.trimmed();
    p.ShortName = p.FullName;
    p.Id = lossType;
    p.Out = output;
    p.Netto = outputValue(output);
    p.Brutto = p.Netto;
    p.Num_In_Base = QStringLiteral("0");
    p.Pref = QStringLiteral("г");
    if (slot.Count() > 0)
        copyHeaderFields(p, slot.item(1)->clsProds());
    slot.Add(clsBludo(std::move(p)));
    replaceAll(slot, treeOrder(records(slot)));
    return indexOfItem(slot, item.value());
}

Result<int> insertSemiFinished(colBludo &slot, int parentItem, const colBludo &source, const QString &name)
{
    using R = Result<int>;
    if (source.Count() == 0)
        return R::failure(QStringLiteral("В данном блюде нет продуктов"));
    if (const Status s = checkParent(slot, parentItem); !s)
        return R::failure(s.error());
    const Result<int> first = nextItemNumber(slot);
    if (!first)
        return R::failure(first.error());

    std::vector<clsProds> inside;
    clsProds root;
    bool hasRoot = false;
    for (const clsBludo &b : source) {
        const clsProds &p = b.clsProds();
        if (keyOf(p).compare(DishBase::kSemiFinishedRootKey, Qt::CaseInsensitive) == 0 && !hasRoot) {
            root = p;
            hasRoot = true;
        } else {
            inside.push_back(p);
        }
    }
    clsProds node;
    node.FullName = name;
    node.ShortName = name;
    node.Num_In_Base = QStringLiteral("0");
    node.Pref = QStringLiteral("г");
    if (hasRoot) {
        node.Id = root.Id;
        node.Out = root.Out;
        node.Brutto = root.Brutto;
        node.Netto = root.Netto;
    } else {
        node.Out = source.item(1)->clsProds().Out;
    }
    if (node.Netto == 0)
        node.Netto = node.Brutto = outputValue(node.Out);
    node.Kod = makeKey(kKeySemiFinished, parentItem, first.value()).value();

    // Top-level positions of the source hang under the new node.
    QHash<int, int> parents;
    parents.insert(0, first.value());
    const auto moved = renumbered(inside, first.value() + 1, parents);
    if (!moved)
        return R::failure(moved.error());
    std::vector<clsProds> all = records(slot);
    const clsProds header = all.empty() ? clsProds() : all.front();
    all.push_back(node);
    for (const clsProds &p : moved.value())
        all.push_back(p);
    if (!records(slot).empty()) {
        for (size_t i = static_cast<size_t>(slot.Count()); i < all.size(); ++i)
            copyHeaderFields(all[i], header);
    }
    replaceAll(slot, treeOrder(all));
    return indexOfItem(slot, first.value());
}

Result<colBludo> semiFinishedForBase(const colBludo &slot, int index)
{
    using R = Result<colBludo>;
    if (index < 1 || index > slot.Count() || !isSemiFinishedKey(keyOf(slot.item(index)->clsProds())))
        return R::failure(QStringLiteral("Полуфабрикат не выбран"));
    std::vector<clsProds> all = treeOrder(records(slot));
    const size_t at = findInTreeOrder(all, slot, index);
    const std::vector<size_t> members = subtree(all, at);
    std::vector<clsProds> inside;
    for (size_t i : members) {
        if (i != at)
            inside.push_back(all[i]);
    }
    if (inside.empty())
        return R::failure(QStringLiteral("В полуфабрикате нет продуктов"));
    // What the node holds directly becomes the top of the stored product.
    QHash<int, int> parents;
    parents.insert(itemOf(all[at]), 0);
    const auto moved = renumbered(inside, 1, parents);
    if (!moved)
        return R::failure(moved.error());
    clsProds root = all[at];
    root.Kod = DishBase::kSemiFinishedRootKey.toString();
    colBludo out;
    out.Add(clsBludo(root));
    for (const clsProds &p : treeOrder(*moved))
        out.Add(clsBludo(p));
    return out;
}

int removePosition(colBludo &slot, int index)
{
    if (index < 1 || index > slot.Count())
        return 0;
    std::vector<clsProds> all = records(slot);
    std::vector<size_t> gone = subtree(all, static_cast<size_t>(index - 1));
    std::sort(gone.begin(), gone.end());
    for (auto it = gone.rbegin(); it != gone.rend(); ++it)
        all.erase(all.begin() + static_cast<std::ptrdiff_t>(*it));
    replaceAll(slot, std::move(all));
    return static_cast<int>(gone.size());
}

Result<int> copyPosition(colBludo &slot, int index)
{
    using R = Result<int>;
    if (index < 1 || index > slot.Count())
        return R::failure(QStringLiteral("Позиция не выбрана"));
    std::vector<clsProds> all = treeOrder(records(slot));
    const size_t at = findInTreeOrder(all, slot, index);
    const std::vector<size_t> members = subtree(all, at);
    std::vector<clsProds> copy;
    for (size_t i : members)
        copy.push_back(all[i]);
    const int first = maxItem(all) + 1;
    QHash<int, int> parents;
    parents.insert(parentOf(all[at]), parentOf(all[at]));
    const auto renamed = renumbered(copy, first, parents);
    if (!renamed)
        return R::failure(renamed.error());
    // After the original and what it holds (a subtree is contiguous in tree order).
    const size_t after = at + members.size();
    all.insert(all.begin() + static_cast<std::ptrdiff_t>(after), renamed->begin(), renamed->end());
    replaceAll(slot, treeOrder(all));
    return indexOfItem(slot, first);
}

bool movePosition(colBludo &slot, int index, bool up)
{
    if (index < 1 || index > slot.Count())
        return false;
    std::vector<clsProds> all = treeOrder(records(slot));
    const size_t at = findInTreeOrder(all, slot, index);
    if (at == all.size())
        return false;
    const QString key = keyOf(all[at]);
    const int parent = isTopLevel(key) ? 0 : parentOf(all[at]);
    std::vector<size_t> siblings;
    for (size_t i = 0; i < all.size(); ++i) {
        const bool top = isTopLevel(keyOf(all[i]));
        if ((parent == 0 && top) || (parent != 0 && !top && parentOf(all[i]) == parent))
            siblings.push_back(i);
    }
    const auto pos = std::find(siblings.begin(), siblings.end(), at);
    if (pos == siblings.end())
        return false;
    if (up ? pos == siblings.begin() : pos + 1 == siblings.end())
        return false;
    const size_t other = up ? *(pos - 1) : *(pos + 1);
    // Siblings are emitted in their order in the list: swapping the two
    // entries swaps them, each with what it holds.
    std::swap(all[at], all[other]);
    replaceAll(slot, treeOrder(all));
    return true;
}

Status setPositionMass(clsProds &position, double mass, bool isGross, const MassRounding &rounding)
{
    if (!(mass > 0))
        return Status::failure(noMassText());
    const QString productKey = position.ID_Prod;
    const bool product = isProductKey(keyOf(position));
    const double oldNet = position.Netto;
    const double ratio = position.Brutto > 0 && position.Netto > 0 ? position.Netto / position.Brutto : 1.0;
    double brutto = isGross ? mass : mass / ratio;
    double netto = isGross ? mass * ratio : mass;
    if (product) {
        brutto = rounding.round(brutto, productKey);
        netto = rounding.round(netto, productKey);
    }
    if (product && oldNet > 0)
        scaleComposition(position, netto / oldNet);
    position.Brutto = brutto;
    position.Netto = netto;
    return {};
}

Status recalculateToOutput(colBludo &slot, double oldOutput, double newOutput, const MassRounding &rounding)
{
    if (!(oldOutput > 0) || !(newOutput > 0))
        return Status::failure(zeroOutputText());
    const double factor = newOutput / oldOutput;
    for (clsBludo &b : slot) {
        clsProds &p = b.clsProds();
        const QString key = keyOf(p);
        if (isProductKey(key)) {
            p.Brutto = rounding.round(p.Brutto * factor, p.ID_Prod);
            p.Netto = rounding.round(p.Netto * factor, p.ID_Prod);
            scaleComposition(p, factor);
            p.Out = scaledOutputText(p.Out, factor);
        } else if (isSemiFinishedKey(key)) {
            p.Brutto *= factor;
            p.Netto *= factor;
            if (!p.Out.isEmpty())
                p.Out = scaledOutputText(p.Out, factor);
        }
    }
    return {};
}

void copyHeaderFields(clsProds &to, const clsProds &from)
{
    to.TN_Vid = from.TN_Vid;
    to.Form_Num = from.Form_Num;
    to.ID_MB = from.ID_MB;
    to.Oform = from.Oform;
    to.NameND = from.NameND;
    to.sCode = from.sCode;
    to.l_Godn = from.l_Godn;
    to.l_Hran = from.l_Hran;
    to.l_ND = from.l_ND;
    to.AktDate = from.AktDate;
    to.Photo = from.Photo;
    to.bUseInCalc = from.bUseInCalc;
    to.bUseInCalcHS = from.bUseInCalcHS;
    to.D_Col = from.D_Col;
    to.ID_EDI = from.ID_EDI;
    to.ID_Koef = from.ID_Koef;
    to.STNid = from.STNid;
    to.STNTit = from.STNTit;
    to.STNFull = from.STNFull;
}

void applyHeaderToAll(colBludo &slot, const clsProds &header)
{
    for (clsBludo &b : slot)
        copyHeaderFields(b.clsProds(), header);
}

} // namespace kulvera
