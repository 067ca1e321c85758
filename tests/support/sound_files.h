// Sound files of other formats for the exchange tests, written by libsndfile itself, and what a
// perfect reader finds in them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonarium::test {

// Writes interleaved samples (full scale ±1) in the library's format (major | subtype) at the
// rate. Integer encodings store each sample rounded to their width (clipped to full scale);
// float and double store them as they are. Returns what the file holds, as samples of full
// scale ±1 (the stored integers scaled back), or nothing when the library refused: the format,
// or a write.
std::vector<double> writeSound(const std::string& path, int format, int rate, int channels,
                               const std::vector<double>& samples);

// The file's interleaved samples decoded by the library as doubles; its rate, channels and
// frames through the pointers when given.
std::vector<double> readSound(const std::string& path, int* rate = nullptr, int* channels = nullptr,
                              std::int64_t* frames = nullptr);

// True when this machine's libsndfile can write the format at that rate and channel count.
bool canWriteSound(int format, int rate, int channels);

// n frames of a sine of the frequency at the amplitude (full scale 1) on every channel, each
// channel a little further in phase.
std::vector<double> sine(std::size_t frames, int channels, int rate, double frequency,
                         double amplitude);

// The amplitude of the frequency in one channel of interleaved values (a projection on sine and
// cosine over whole periods), in the values' own unit.
double amplitudeAt(const std::vector<double>& samples, int channels, int channel, int rate,
                   double frequency, std::size_t from, std::size_t frames);

} // namespace sonarium::test
