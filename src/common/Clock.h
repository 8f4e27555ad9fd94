#pragma once

#include <QDate>
#include <QDateTime>

namespace kulvera {

// Where "now" comes from, so seasonal outputs, document dates and journals can
// be tested on a fixed day.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    QDate today() const { return now().date(); }
};

class SystemClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class FixedClock final : public Clock
{
public:
    explicit FixedClock(QDateTime moment)
        : moment_(std::move(moment))
    {
    }
    explicit FixedClock(const QDate &day)
        : moment_(day, QTime(12, 0))
    {
    }
    QDateTime now() const override { return moment_; }
    void set(QDateTime moment) { moment_ = std::move(moment); }

private:
    QDateTime moment_;
};

} // namespace kulvera
