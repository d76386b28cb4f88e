#pragma once

#include <QDate>
#include <QTime>

#include <functional>

namespace platform {

// The local time of day and the local date, read separately, as a save stamps a record.
struct Clock
{
    std::function<QTime()> time;
    std::function<QDate()> date;

    static Clock system();
};

} // namespace platform
