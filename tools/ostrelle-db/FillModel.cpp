#include "ostrelle-db/FillModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace FillModel {

int weekday(double oleDate)
{
    const auto day = static_cast<qint64>(std::floor(oleDate));
    return static_cast<int>(((day + 6) % 7 + 7) % 7);
}

double TimeDensity::dayWeight(double day)
{
    // Day 1 of the OLE calendar is close enough to 1 January for a season.
    const double dayOfYear = std::fmod(day - 1, 365.2425);
    const double season = 1.0 + 0.3 * std::sin(2 * std::numbers::pi * (dayOfYear - 110) / 365.2425);
    static constexpr double byWeekday[7] = {0.9, 0.85, 0.9, 0.95, 1.05, 1.25, 1.2};
    return season * byWeekday[weekday(day)];
}

TimeDensity::TimeDensity(double start, double end, const std::array<double, 24> &hourWeights)
    : m_start(start), m_end(std::max(end, start))
{
    const auto hours = static_cast<std::size_t>(std::ceil((m_end - m_start) * 24));
    m_cumulative.reserve(hours);
    double sum = 0;
    for (std::size_t i = 0; i < hours; ++i) {
        const double t = m_start + static_cast<double>(i) * Hour;
        // The epsilon keeps 14:00, stored as 13:59:59.99..., in the fourteenth hour.
        const auto hourOfDay = static_cast<std::size_t>(std::fmod(t, 1.0) * 24 + 1e-6) % 24;
        sum += hourWeights[hourOfDay] * dayWeight(t);
        m_cumulative.push_back(sum);
    }
}

double TimeDensity::at(double u) const
{
    if (m_cumulative.empty())
        return m_start;
    const double target = std::clamp(u, 0.0, 1.0) * m_cumulative.back();
    auto it = std::upper_bound(m_cumulative.begin(), m_cumulative.end(), target);
    if (it == m_cumulative.end())
        --it;
    const auto cell = static_cast<std::size_t>(it - m_cumulative.begin());
    const double before = cell == 0 ? 0.0 : m_cumulative[cell - 1];
    const double weight = m_cumulative[cell] - before;
    const double fraction = weight > 0 ? (target - before) / weight : 0.0;
    return std::min(m_end, m_start + (static_cast<double>(cell) + fraction) * Hour);
}

} // namespace FillModel
