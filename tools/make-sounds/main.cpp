// Makes the game's two sound files: "C", the card snap played after every pick, and "T", the
// short fanfare played when the hall of fame opens at the end of a game. Both are mono 16-bit PCM
// WAV files at 44.1 kHz, without a file name extension, as the game looks them up. The output is
// the same at every run: the noise comes from a fixed-seed generator of our own.
//
// Usage: make-sounds <outdir>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int rate = 44100;
constexpr double twoPi = 2.0 * std::numbers::pi;
// The loudest sample of each sound, -3 dBFS.
const double peakLevel = std::pow(10.0, -3.0 / 20.0);

using Samples = std::vector<double>;

// SplitMix64: a small generator with a fixed seed, so that the noise is the same at every run.
class Noise {
public:
    explicit Noise(std::uint64_t seed) : m_state(seed) {}

    // A value in [-1, 1).
    double next()
    {
        m_state += 0x9e3779b97f4a7c15ULL;
        std::uint64_t z = m_state;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        z ^= z >> 31;
        return double(z >> 11) / double(1ULL << 52) - 1.0;
    }

private:
    std::uint64_t m_state;
};

// A second-order filter in the form of the well-known audio cookbook formulas.
class Biquad {
public:
    static Biquad lowPass(double frequency, double q) { return make(frequency, q, false); }
    static Biquad bandPass(double frequency, double q) { return make(frequency, q, true); }

    double process(double x)
    {
        const double y = m_b0 * x + m_b1 * m_x1 + m_b2 * m_x2 - m_a1 * m_y1 - m_a2 * m_y2;
        m_x2 = m_x1;
        m_x1 = x;
        m_y2 = m_y1;
        m_y1 = y;
        return y;
    }

    void apply(Samples &samples)
    {
        for (double &s : samples)
            s = process(s);
    }

private:
    static Biquad make(double frequency, double q, bool band)
    {
        const double w = twoPi * frequency / rate;
        const double alpha = std::sin(w) / (2.0 * q);
        const double a0 = 1.0 + alpha;
        Biquad f;
        if (band) {
            f.m_b0 = alpha / a0;
            f.m_b1 = 0.0;
            f.m_b2 = -alpha / a0;
        } else {
            f.m_b0 = (1.0 - std::cos(w)) / 2.0 / a0;
            f.m_b1 = (1.0 - std::cos(w)) / a0;
            f.m_b2 = f.m_b0;
        }
        f.m_a1 = -2.0 * std::cos(w) / a0;
        f.m_a2 = (1.0 - alpha) / a0;
        return f;
    }

    double m_b0 = 0, m_b1 = 0, m_b2 = 0, m_a1 = 0, m_a2 = 0;
    double m_x1 = 0, m_x2 = 0, m_y1 = 0, m_y2 = 0;
};

int frames(double seconds)
{
    return int(std::lround(seconds * rate));
}

// Removes any DC offset with a gentle high-pass at about 20 Hz.
void removeDc(Samples &samples)
{
    const double r = std::exp(-twoPi * 20.0 / rate);
    double previousIn = 0.0;
    double previousOut = 0.0;
    for (double &s : samples) {
        const double out = s - previousIn + r * previousOut;
        previousIn = s;
        previousOut = out;
        s = out;
    }
}

// Raised-cosine fades at both ends, so that no sound starts or stops with a click.
void fade(Samples &samples, double inSeconds, double outSeconds)
{
    const int in = frames(inSeconds);
    const int out = frames(outSeconds);
    const int n = int(samples.size());
    for (int i = 0; i < in && i < n; ++i)
        samples[i] *= 0.5 - 0.5 * std::cos(std::numbers::pi * i / in);
    for (int i = 0; i < out && i < n; ++i)
        samples[n - 1 - i] *= 0.5 - 0.5 * std::cos(std::numbers::pi * i / out);
}

void normalize(Samples &samples)
{
    double peak = 0.0;
    for (const double s : samples)
        peak = std::max(peak, std::abs(s));
    if (peak > 0.0)
        for (double &s : samples)
            s *= peakLevel / peak;
}

// The card snap: a short band-limited slap of noise over a low thump that drops in pitch, with a
// faint papery rustle after it.
Samples cardSnap()
{
    Samples out(std::size_t(frames(0.2)), 0.0);
    Noise noise(0x5a4b52595454ULL);
    Biquad slapFilter = Biquad::bandPass(2400.0, 0.8);
    Biquad rustleFilter = Biquad::lowPass(1500.0, 0.7);
    double thumpPhase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / rate;
        const double attack = std::min(1.0, t / 0.0015);
        const double slap = slapFilter.process(noise.next()) * attack * std::exp(-t / 0.016);
        const double rustle = rustleFilter.process(noise.next()) * std::exp(-t / 0.07);
        const double thumpPitch = 110.0 + 70.0 * std::exp(-t / 0.02);
        thumpPhase += twoPi * thumpPitch / rate;
        const double thump = std::sin(thumpPhase) * std::min(1.0, t / 0.002) * std::exp(-t / 0.04);
        out[i] = 1.0 * slap + 0.35 * thump + 0.12 * rustle;
    }
    Biquad::lowPass(6500.0, 0.7).apply(out);
    removeDc(out);
    fade(out, 0.0005, 0.02);
    normalize(out);
    return out;
}

// One brass-like note: harmonics that brighten during the attack, a soft swell to the sustain
// level and a release at its end, with a slow vibrato on long notes.
void addNote(Samples &out, double start, double length, double pitch, double level, double release)
{
    constexpr int harmonics = 8;
    const int first = frames(start);
    const int count = frames(length + release);
    double phase = 0.0;
    for (int i = 0; i < count && first + i < int(out.size()); ++i) {
        const double t = double(i) / rate;
        double envelope = std::min(1.0, t / 0.02) * (0.8 + 0.2 * std::exp(-t / 0.06));
        if (t > length)
            envelope *= std::exp(-(t - length) / (release / 4.0));
        const double vibrato = length > 0.5 ? 0.004 * std::min(1.0, std::max(0.0, t - 0.25) / 0.3) *
                                                  std::sin(twoPi * 5.5 * t)
                                            : 0.0;
        phase += twoPi * pitch * (1.0 + vibrato) / rate;
        double tone = 0.0;
        for (int k = 1; k <= harmonics; ++k) {
            const double brightness = std::min(1.0, t / (0.008 + 0.006 * k));
            tone += brightness * std::sin(k * phase) / std::pow(double(k), 1.2);
        }
        out[std::size_t(first + i)] += level * envelope * tone;
    }
}

// The fanfare: a quick rising C major arpeggio into a held chord crowned by the high C.
Samples fanfare()
{
    Samples out(std::size_t(frames(1.4)), 0.0);
    const double c5 = 523.25, e5 = 659.26, g5 = 783.99, c6 = 1046.50;
    addNote(out, 0.00, 0.09, c5, 1.2, 0.04);
    addNote(out, 0.12, 0.09, e5, 1.2, 0.04);
    addNote(out, 0.24, 0.09, g5, 1.2, 0.04);
    // The chord's voices are tuned a few cents apart, as players never quite agree.
    addNote(out, 0.36, 0.62, c5 * 0.9992, 0.45, 0.38);
    addNote(out, 0.36, 0.62, e5 * 1.0008, 0.40, 0.38);
    addNote(out, 0.36, 0.62, g5 * 0.9995, 0.40, 0.38);
    addNote(out, 0.36, 0.62, c6, 0.65, 0.38);
    Biquad::lowPass(7000.0, 0.7).apply(out);
    removeDc(out);
    fade(out, 0.002, 0.03);
    normalize(out);
    return out;
}

void putLe(std::string &bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(char((value >> (8 * i)) & 0xff));
}

bool writeWave(const std::filesystem::path &path, const Samples &samples)
{
    std::string data;
    for (const double s : samples) {
        const long value = std::clamp(std::lround(s * 32767.0), -32768L, 32767L);
        putLe(data, std::uint32_t(std::int16_t(value)) & 0xffff, 2);
    }
    std::string file = "RIFF";
    putLe(file, std::uint32_t(36 + data.size()), 4);
    file += "WAVEfmt ";
    putLe(file, 16, 4);
    putLe(file, 1, 2);        // PCM
    putLe(file, 1, 2);        // mono
    putLe(file, rate, 4);     // sample rate
    putLe(file, rate * 2, 4); // bytes per second
    putLe(file, 2, 2);        // bytes per frame
    putLe(file, 16, 2);       // bits per sample
    file += "data";
    putLe(file, std::uint32_t(data.size()), 4);
    file += data;

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(file.data(), std::streamsize(file.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make-sounds: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sounds <outdir>\n");
        return 2;
    }
    const std::filesystem::path dir(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "make-sounds: cannot make %s: %s\n", dir.c_str(),
                     error.message().c_str());
        return 1;
    }
    const bool ok = writeWave(dir / "C", cardSnap()) && writeWave(dir / "T", fanfare());
    return ok ? 0 : 1;
}
