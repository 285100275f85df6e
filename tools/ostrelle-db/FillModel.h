#pragma once

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <random>
#include <utility>
#include <vector>

// The random pieces of the history generator: a seeded source, weighted choices and a time
// density that hands out increasing times.
namespace FillModel {

inline constexpr double Hour = 1.0 / 24;
inline constexpr double Minute = 1.0 / 1440;

class Random
{
public:
    explicit Random(quint64 seed) : m_engine(seed) {}
    double uniform() { return std::uniform_real_distribution<double>(0.0, 1.0)(m_engine); }
    // 0 .. n-1; n must be at least 1.
    qsizetype below(qsizetype n) { return std::uniform_int_distribution<qsizetype>(0, n - 1)(m_engine); }
    bool chance(double p) { return uniform() < p; }

private:
    std::mt19937_64 m_engine;
};

template <typename T> class Weighted
{
public:
    Weighted(std::initializer_list<std::pair<T, double>> items)
    {
        double sum = 0;
        for (const auto &[item, weight] : items) {
            sum += weight;
            m_items.push_back(item);
            m_cumulative.push_back(sum);
        }
    }
    T pick(Random &random) const
    {
        const double target = random.uniform() * m_cumulative.back();
        auto it = std::upper_bound(m_cumulative.begin(), m_cumulative.end(), target);
        if (it == m_cumulative.end())
            --it;
        return m_items[static_cast<std::size_t>(it - m_cumulative.begin())];
    }

private:
    std::vector<T> m_items;
    std::vector<double> m_cumulative;
};

// How busy each hour of a span is: the hour of the day, the weekday (weekends fuller) and the
// season (summer fuller). at(u) maps an increasing u in [0, 1) to increasing times, so stratified
// u values give a sorted history with exactly the number of rows asked for.
class TimeDensity
{
public:
    TimeDensity(double start, double end, const std::array<double, 24> &hourWeights);
    double at(double u) const;
    double start() const { return m_start; }
    double end() const { return m_end; }

    static double dayWeight(double day);

private:
    double m_start;
    double m_end;
    std::vector<double> m_cumulative; // one entry per hour from m_start
};

// Day of the week of an OLE date: 0 = Sunday .. 6 = Saturday (day 0, 1899-12-30, was a Saturday).
int weekday(double oleDate);

} // namespace FillModel
