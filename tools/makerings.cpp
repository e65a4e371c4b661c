// SPDX-License-Identifier: MIT
// Writes Brivel's two built-in rings as 16-bit PCM mono wave files:
//   makerings <folder>  ->  <folder>/Phonenew.wav, <folder>/Phonerng.wav
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int Rate = 22050;

void put16(std::ofstream &out, std::uint16_t v) { out.put(char(v & 0xff)).put(char(v >> 8)); }
void put32(std::ofstream &out, std::uint32_t v)
{
    put16(out, std::uint16_t(v & 0xffff));
    put16(out, std::uint16_t(v >> 16));
}

bool writeWave(const std::string &path, const std::vector<double> &samples)
{
    std::ofstream out(path, std::ios::binary);
    if (!out)
        return false;
    const auto bytes = std::uint32_t(samples.size() * 2);
    out.write("RIFF", 4);
    put32(out, 36 + bytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, Rate);
    put32(out, Rate * 2);
    put16(out, 2);
    put16(out, 16);
    out.write("data", 4);
    put32(out, bytes);
    for (double s : samples)
        put16(out, std::uint16_t(std::int16_t(std::lround(std::clamp(s, -1.0, 1.0) * 32000))));
    return bool(out);
}

// A bursts-and-gaps envelope with short ramps, so each burst starts cleanly.
double gate(double t, const std::vector<std::pair<double, double>> &bursts)
{
    constexpr double ramp = 0.004;
    for (auto [from, to] : bursts) {
        if (t >= from && t < to)
            return std::min({1.0, (t - from) / ramp, (to - t) / ramp});
    }
    return 0.0;
}

// New Phone: an electronic warble of two tones switched sixteen times a second.
std::vector<double> newPhone()
{
    const double length = 3.0;
    std::vector<double> s(std::size_t(length * Rate));
    const std::vector<std::pair<double, double>> bursts{{0.0, 0.4}, {0.6, 1.0}, {1.8, 2.2}, {2.4, 2.8}};
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / Rate;
        const double f = std::fmod(t * 16.0, 1.0) < 0.5 ? 1000.0 : 1300.0;
        s[i] = 0.7 * gate(t, bursts) * std::sin(2 * std::numbers::pi * f * t);
    }
    return s;
}

// Old Phone: a bell struck twenty-five times a second, in two long rings.
std::vector<double> oldPhone()
{
    const double length = 3.2;
    std::vector<double> s(std::size_t(length * Rate));
    const std::vector<std::pair<double, double>> bursts{{0.0, 1.2}, {1.8, 3.0}};
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / Rate;
        const double sinceStrike = std::fmod(t, 0.04);
        const double decay = std::exp(-sinceStrike * 40.0);
        double bell = 0.0;
        for (auto [f, a] : {std::pair{880.0, 0.6}, {1760.0, 0.25}, {2640.0, 0.15}})
            bell += a * std::sin(2 * std::numbers::pi * f * t);
        s[i] = 0.8 * gate(t, bursts) * (0.5 + 0.5 * decay) * bell;
    }
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: makerings <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    if (!writeWave(folder + "/Phonenew.wav", newPhone()) || !writeWave(folder + "/Phonerng.wav", oldPhone())) {
        std::fprintf(stderr, "makerings: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
