#pragma once

#include "products/ProductBase.h"
#include "shell/AppContext.h"

#include <QWidget>

#include <array>
#include <map>

class QCheckBox;
class QLineEdit;
class QTableWidget;
class QTableWidgetItem;

namespace kulvera {

// The product card: every column of one product, its processing variants,
// the seasonal flag; save to the base, save to a ".prod" file, load one.
// Values are shown rounded, but only what the user edits is written back:
// an untouched value keeps its full precision.
class ProductCard : public QWidget
{
    Q_OBJECT
public:
    ProductCard(AppContext &context, qint64 key, QWidget *parent = nullptr);

    qint64 key() const { return row_.key(); }
    void showRow(const ProductRow &row);
    ProductRow collect() const;
    // Adds (key 0) or saves the product; false when nothing was written.
    bool save();
    bool saveToFile(const QString &path);
    bool loadFromFile(const QString &path);
    // Puts a new variant into the first empty slot.
    void addVariant();
    // Empties variant n (1-based); the other variants keep their numbers.
    void removeVariant(int n);

signals:
    void saved(qint64 key);

private:
    QWidget *buildComposition();
    QWidget *buildVariants();
    QLineEdit *addLine(const QString &object, bool numeric);
    void addValueRow(const QString &column, const QString &caption);
    void setNumber(const QString &column, const QString &text);
    void setValue(const QString &column, double value);
    void captionVariants();
    void fitValues();
    QString formatValue(double value) const;
    // The edited number, or `stored` when the text is still what was shown.
    double numberOr(const QString &shown, const QString &text, double stored) const;

    AppContext &context_;
    ProductBase base_;
    ProductRow row_; // as read from the base or the file, or as last saved
    int decimals_ = 3;
    std::map<QString, QLineEdit *> texts_; // by column
    std::map<QString, QLineEdit *> numbers_; // by column
    std::map<QString, QCheckBox *> flags_; // by column
    std::map<QString, QTableWidgetItem *> values_; // composition values by column
    std::map<QString, QString> shown_; // the text each number and value was shown with
    std::array<QString, kLossVariants> shownOutputs_;
    QTableWidget *composition_ = nullptr;
    QTableWidget *variants_ = nullptr;
};

} // namespace kulvera
