#include "platform/clock.h"

namespace platform {

Clock Clock::system()
{
    return {[] { return QTime::currentTime(); }, [] { return QDate::currentDate(); }};
}

} // namespace platform
