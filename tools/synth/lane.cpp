// Automation lanes.
#include <algorithm>

#include "score.h"

namespace gmsynth {

Lane::Lane(std::vector<std::pair<double, double>> points) : points_(std::move(points)) {
    std::stable_sort(points_.begin(), points_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
}

double Lane::at(double seconds) const {
    if (points_.empty()) return 0.0;
    if (seconds <= points_.front().first) return points_.front().second;
    if (seconds >= points_.back().first) return points_.back().second;
    const auto next = std::upper_bound(points_.begin(), points_.end(), seconds,
                                       [](double s, const auto& p) { return s < p.first; });
    const auto prev = next - 1;
    const double span = next->first - prev->first;
    if (span <= 0.0) return next->second;
    const double x = (seconds - prev->first) / span;
    return prev->second + (next->second - prev->second) * x;
}

}  // namespace gmsynth
