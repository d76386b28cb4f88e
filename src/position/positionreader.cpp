#include "position/positionreader.h"

namespace position {

Reading read(QStringView text)
{
    Q_UNUSED(text);
    return {std::nullopt, QStringLiteral("Not a position.")};
}

ReceiverForm receiverForm(const Position &p)
{
    Q_UNUSED(p);
    return {};
}

QString degreesAndMinutes(const Position &p)
{
    Q_UNUSED(p);
    return {};
}

} // namespace position
