// Fitting a dialog's picture to its rectangle: whether it needs it, and the resampling that does it.
#include "controls/PictureRules.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace pictures {

namespace {

constexpr int kWeightBits = 14;
constexpr std::int64_t kOne = std::int64_t{1} << kWeightBits;

// Along one axis: for each target pixel, the source pixels it is made of and their weights, in units of
// 1 / kOne. Each target pixel has the same number of taps; those beyond the picture's edge repeat it.
struct Taps {
    size_t perPixel;
    std::vector<int> index;
    std::vector<int> weight;
};

// a / b for b > 0, rounded half away from zero.
std::int64_t Divided(std::int64_t a, std::int64_t b)
{
    return (a + (a < 0 ? -b : b) / 2) / b;
}

// Catmull-Rom's cubic at the distance n / m (n >= 0) in units of 1 / kOne. The exact fraction keeps
// every build alike; m up to 32768 keeps it inside 64 bits.
std::int64_t Cubic(std::int64_t n, std::int64_t m)
{
    // 1.5 t^3 - 2.5 t^2 + 1 below 1 and -0.5 t^3 + 2.5 t^2 - 4 t + 2 below 2, over 2 m^3.
    std::int64_t numerator = 0;
    if (n < m)
        numerator = 3 * n * n * n - 5 * n * n * m + 2 * m * m * m;
    else if (n < 2 * m)
        numerator = -n * n * n + 5 * n * n * m - 8 * n * m * m + 4 * m * m * m;
    return Divided(numerator * kOne, 2 * m * m * m);
}

Taps TapsFor(int sourceSize, int targetSize)
{
    // Target pixel d has its centre at ((2d + 1) S - D) / 2D in the source. Source pixel s lies
    // (2Ds - (2d + 1) S + D) / 2D from it; shrinking widens the filter by S / D, which makes the
    // denominator 2S. So the distance in filter units is n / m with m = 2 max(S, D).
    const std::int64_t source = sourceSize, target = targetSize, m = 2 * std::max(source, target);
    const int reach = 2 * ((sourceSize + targetSize - 1) / targetSize) + 1;
    Taps taps{static_cast<size_t>(2 * reach + 1), {}, {}};
    for (std::int64_t d = 0; d < target; ++d) {
        const std::int64_t nearest = (2 * d + 1) * source / (2 * target);
        const size_t first = taps.weight.size();
        std::int64_t total = 0;
        for (std::int64_t s = nearest - reach; s <= nearest + reach; ++s) {
            const std::int64_t weight = Cubic(std::llabs(2 * target * s - (2 * d + 1) * source + target), m);
            taps.index.push_back(static_cast<int>(std::clamp<std::int64_t>(s, 0, source - 1)));
            taps.weight.push_back(static_cast<int>(weight));
            total += weight;
        }
        // A widened filter's samples add up to its width, not to one. After scaling them back, rounding
        // leaves the sum a little off one; the heaviest tap takes up the difference.
        size_t heaviest = first;
        std::int64_t sum = 0;
        for (size_t tap = first; tap < taps.weight.size(); ++tap) {
            taps.weight[tap] = static_cast<int>(Divided(taps.weight[tap] * kOne, total));
            sum += taps.weight[tap];
            if (taps.weight[tap] > taps.weight[heaviest])
                heaviest = tap;
        }
        taps.weight[heaviest] += static_cast<int>(kOne - sum);
    }
    return taps;
}

int Channel(std::uint32_t pixel, int channel)
{
    return static_cast<int>((pixel >> (8 * channel)) & 0xFF);
}

}  // namespace

bool IsDrawnFor(Extent picture, Extent rectangle, Extent baseUnits)
{
    return std::abs(rectangle.cx - picture.cx) * 4 < baseUnits.cx &&
           std::abs(rectangle.cy - picture.cy) * 8 < baseUnits.cy;
}

void Resample(const std::uint32_t* from, Extent fromSize, std::uint32_t* to, Extent toSize)
{
    const Taps across = TapsFor(fromSize.cx, toSize.cx);
    const Taps down = TapsFor(fromSize.cy, toSize.cy);
    const size_t width = static_cast<size_t>(toSize.cx);

    // Across first, into rows that keep the weights' precision, four channels a pixel.
    std::vector<std::int32_t> rows(width * static_cast<size_t>(fromSize.cy) * 4);
    for (size_t y = 0; y < static_cast<size_t>(fromSize.cy); ++y) {
        const std::uint32_t* row = from + y * static_cast<size_t>(fromSize.cx);
        for (size_t x = 0; x < width; ++x) {
            std::int32_t* sum = &rows[(y * width + x) * 4];
            for (size_t tap = x * across.perPixel; tap < (x + 1) * across.perPixel; ++tap) {
                for (int channel = 0; channel < 4; ++channel)
                    sum[channel] += across.weight[tap] * Channel(row[across.index[tap]], channel);
            }
        }
    }
    // Then down, rounding once at the end; the cubic's lobes may overshoot, so the result is clamped.
    for (size_t y = 0; y < static_cast<size_t>(toSize.cy); ++y) {
        for (size_t x = 0; x < width; ++x) {
            std::int64_t sum[4] = {};
            for (size_t tap = y * down.perPixel; tap < (y + 1) * down.perPixel; ++tap) {
                const std::int32_t* above = &rows[(static_cast<size_t>(down.index[tap]) * width + x) * 4];
                for (int channel = 0; channel < 4; ++channel)
                    sum[channel] += std::int64_t{down.weight[tap]} * above[channel];
            }
            std::uint32_t pixel = 0;
            for (int channel = 0; channel < 4; ++channel) {
                const std::int64_t value = (sum[channel] + kOne * kOne / 2) >> (2 * kWeightBits);
                pixel |= static_cast<std::uint32_t>(std::clamp<std::int64_t>(value, 0, 255)) << (8 * channel);
            }
            to[y * width + x] = pixel;
        }
    }
}

}  // namespace pictures
