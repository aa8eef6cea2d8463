// The rate and channel conversion behind the platform's ACM calls.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "host/codecs/acm_api.h"
#include "tests/support/file_bytes.h"
#include "tests/support/pcm_signal.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

WAVEFORMATEX Pcm(WORD channels, DWORD rate, WORD bits = 16, WORD tag = WAVE_FORMAT_PCM) {
  WAVEFORMATEX format{};
  format.wFormatTag = tag;
  format.nChannels = channels;
  format.nSamplesPerSec = rate;
  format.wBitsPerSample = bits;
  format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
  format.nAvgBytesPerSec = format.nBlockAlign * rate;
  return format;
}

// Converts the samples in blocks of blockFrames source frames (0: one call),
// checking that the output never passes acmStreamSize's length.
std::vector<std::int16_t> Convert(const WAVEFORMATEX& from, const WAVEFORMATEX& to,
                                  const std::vector<std::int16_t>& samples, std::size_t blockFrames = 0) {
  HACMSTREAM stream = nullptr;
  EXPECT_EQ(acmStreamOpen(&stream, nullptr, &from, &to, nullptr, 0, 0, 0), MMSYSERR_NOERROR);
  std::vector<std::uint8_t> source = pcm_signal::Bytes(samples);
  DWORD capacity = 0;
  EXPECT_EQ(acmStreamSize(stream, static_cast<DWORD>(source.size()), &capacity, ACM_STREAMSIZEF_SOURCE),
            MMSYSERR_NOERROR);
  EXPECT_EQ(capacity % to.nBlockAlign, 0u);
  std::vector<std::uint8_t> out(capacity);
  const std::size_t block = blockFrames ? blockFrames * from.nBlockAlign : source.size();
  std::size_t used = 0;
  std::size_t at = 0;
  do {
    const std::size_t count = std::min(block, source.size() - at);
    ACMSTREAMHEADER header{};
    header.cbStruct = sizeof(header);
    header.pbSrc = source.data() + at;
    header.cbSrcLength = static_cast<DWORD>(count);
    header.pbDst = out.data() + used;
    header.cbDstLength = static_cast<DWORD>(out.size() - used);
    EXPECT_EQ(acmStreamPrepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
    const bool last = at + count == source.size();
    EXPECT_EQ(acmStreamConvert(stream, &header, last ? 0 : ACM_STREAMCONVERTF_BLOCKALIGN), MMSYSERR_NOERROR);
    EXPECT_EQ(header.cbSrcLengthUsed, count);
    EXPECT_EQ(acmStreamUnprepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
    used += header.cbDstLengthUsed;
    at += count;
  } while (at < source.size());
  EXPECT_EQ(acmStreamClose(stream, 0), MMSYSERR_NOERROR);
  out.resize(used);
  return pcm_signal::Samples(out);
}

TEST(AcmStream, RefusesWhatIsNotSixteenBitPcmOfOneOrTwoChannelsInRange) {
  const WAVEFORMATEX good = Pcm(2, 44100);
  const WAVEFORMATEX bad[] = {Pcm(2, 44100, 16, 2), Pcm(2, 44100, 8), Pcm(3, 44100), Pcm(0, 44100),
                              Pcm(1, 7999),         Pcm(1, 96001)};
  for (const WAVEFORMATEX& format : bad) {
    HACMSTREAM stream = reinterpret_cast<HACMSTREAM>(1);
    EXPECT_EQ(acmStreamOpen(&stream, nullptr, &format, &good, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(acmStreamOpen(&stream, nullptr, &good, &format, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
  }
  HACMSTREAM stream = nullptr;
  const WAVEFORMATEX edges[] = {Pcm(1, 8000), Pcm(2, 96000)};
  for (const WAVEFORMATEX& format : edges) {
    ASSERT_EQ(acmStreamOpen(&stream, nullptr, &format, &good, nullptr, 0, 0, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamClose(stream, 0), MMSYSERR_NOERROR);
  }
}

TEST(AcmStream, LengthIsTheRoundedRateRatioForEachRatePair) {
  struct Case {
    DWORD from, to;
    WORD fromChannels, toChannels;
  } cases[] = {{44100, 22050, 2, 1}, {44100, 44100, 2, 1}, {48000, 44100, 2, 2}, {32000, 22050, 2, 1},
               {48000, 22050, 1, 2}, {22050, 44100, 2, 2}, {32000, 44100, 1, 1}, {44100, 22050, 2, 2}};
  for (const Case& c : cases) {
    for (std::size_t frames : {1u, 999u, 44101u}) {
      const auto samples = pcm_signal::Tones(std::vector<double>(c.fromChannels, 440.0), static_cast<int>(c.from),
                                             frames, 0.5);
      const auto out = Convert(Pcm(c.fromChannels, c.from), Pcm(c.toChannels, c.to), samples);
      const std::size_t expected = (frames * c.to + c.from / 2) / c.from;
      EXPECT_EQ(out.size(), expected * c.toChannels) << c.from << " -> " << c.to << ", " << frames << " frames";
    }
  }
}

TEST(AcmStream, BlocksGiveTheSameOutputAsOneCall) {
  const auto samples = pcm_signal::Tones({1000.0, 1500.0}, 44100, 30000, 0.7);
  const WAVEFORMATEX from = Pcm(2, 44100);
  const WAVEFORMATEX to = Pcm(1, 22050);
  const auto whole = Convert(from, to, samples);
  EXPECT_EQ(Convert(from, to, samples, 4410), whole);
  EXPECT_EQ(Convert(from, to, samples, 777), whole);
}

TEST(AcmStream, ChannelsAreMixedAsTheRoundedMeanAndCopied) {
  const std::vector<std::int16_t> stereo = {3, 4, -3, -4, 1, -2, 32767, 32767, -32768, -32768, 32767, -32768};
  EXPECT_EQ(Convert(Pcm(2, 22050), Pcm(1, 22050), stereo), (std::vector<std::int16_t>{4, -4, -1, 32767, -32768, -1}));
  const std::vector<std::int16_t> mono = {5, -7, 32767};
  EXPECT_EQ(Convert(Pcm(1, 22050), Pcm(2, 22050), mono), (std::vector<std::int16_t>{5, 5, -7, -7, 32767, 32767}));
}

TEST(AcmStream, KeepsTheToneAndRemovesWhatTheTargetCannotHold) {
  // 1 kHz and 15 kHz at 44,100 Hz down to 22,050 Hz: 15 kHz lies above the
  // new Nyquist frequency and would fold to 7,050 Hz.
  std::vector<std::int16_t> samples = pcm_signal::Tones({1000.0}, 44100, 44100, 0.4);
  const auto high = pcm_signal::Tones({15000.0}, 44100, 44100, 0.4);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>(samples[i] + high[i]);
  const auto out = pcm_signal::Channel(Convert(Pcm(1, 44100), Pcm(1, 22050), samples), 1, 0);
  const double tone = pcm_signal::ToneLevelDb(out, 22050, 1000.0);
  EXPECT_NEAR(tone, 20 * std::log10(0.4), 0.5);
  EXPECT_LT(pcm_signal::ToneLevelDb(out, 22050, 7050.0) - tone, -60.0);
  EXPECT_LT(pcm_signal::ToneLevelDb(out, 22050, 15000.0 - 11025.0) - tone, -60.0);
}

TEST(AcmStream, MatchesSoxWithinSeventyDecibels) {
  ScopedTempDir dir("acm_sox");
  const auto samples = pcm_signal::Tones({1000.0, 1500.0}, 44100, 44100 * 2, 0.6);
  dir.WriteFile("in.raw", pcm_signal::Bytes(samples));
  struct Case {
    DWORD rate;
    WORD channels;
  } cases[] = {{22050, 1}, {22050, 2}, {48000, 2}};
  for (const Case& c : cases) {
    const std::string out = dir.HostPath("sox.raw");
    ASSERT_TRUE(pcm_signal::Run("sox -D -t raw -r 44100 -e signed -b 16 -c 2 " + dir.HostPath("in.raw") +
                                " -t raw -r " + std::to_string(c.rate) + " -e signed -b 16 -c " +
                                std::to_string(c.channels) + " " + out + " rate -h"));
    const auto sox = pcm_signal::Samples(ReadFileBytes(out));
    const auto ours = Convert(Pcm(2, 44100), Pcm(c.channels, c.rate), samples);
    EXPECT_NEAR(static_cast<double>(ours.size()), static_cast<double>(sox.size()), c.channels);
    for (int channel = 0; channel < c.channels; ++channel) {
      const double snr = pcm_signal::SnrDb(pcm_signal::Channel(ours, c.channels, channel),
                                           pcm_signal::Channel(sox, c.channels, channel));
      EXPECT_GT(snr, 70.0) << c.rate << " Hz, " << c.channels << " channels";
      RecordProperty("snr_" + std::to_string(c.rate) + "_" + std::to_string(c.channels), std::to_string(snr));
    }
  }
}

TEST(AcmStream, OutputTheDestinationCannotHoldComesWithTheNextBlock) {
  const auto samples = pcm_signal::Tones({440.0}, 22050, 1000, 0.5);
  std::vector<std::uint8_t> source = pcm_signal::Bytes(samples);
  const WAVEFORMATEX format = Pcm(1, 22050);
  HACMSTREAM stream = nullptr;
  ASSERT_EQ(acmStreamOpen(&stream, nullptr, &format, &format, nullptr, 0, 0, 0), MMSYSERR_NOERROR);
  std::vector<std::uint8_t> out(source.size());
  ACMSTREAMHEADER header{};
  header.cbStruct = sizeof(header);
  header.pbSrc = source.data();
  header.cbSrcLength = static_cast<DWORD>(source.size() / 2);
  header.pbDst = out.data();
  header.cbDstLength = 100;
  ASSERT_EQ(acmStreamPrepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
  ASSERT_EQ(acmStreamConvert(stream, &header, ACM_STREAMCONVERTF_BLOCKALIGN), MMSYSERR_NOERROR);
  EXPECT_EQ(header.cbDstLengthUsed, 100u);
  header.pbSrc = source.data() + source.size() / 2;
  header.pbDst = out.data() + 100;
  header.cbDstLength = static_cast<DWORD>(out.size() - 100);
  ASSERT_EQ(acmStreamConvert(stream, &header, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(header.cbDstLengthUsed, out.size() - 100);
  EXPECT_EQ(out, source);
  acmStreamClose(stream, 0);
}

TEST(AcmStream, HeadersAreChecked) {
  const WAVEFORMATEX format = Pcm(2, 44100);
  HACMSTREAM stream = nullptr;
  ASSERT_EQ(acmStreamOpen(&stream, nullptr, &format, &format, nullptr, 0, 0, 0), MMSYSERR_NOERROR);
  std::uint8_t source[8] = {};
  std::uint8_t out[16] = {};
  ACMSTREAMHEADER header{};
  header.cbStruct = 84;  // the platform's size is not ours
  header.pbSrc = source;
  header.cbSrcLength = sizeof(source);
  header.pbDst = out;
  header.cbDstLength = sizeof(out);
  EXPECT_EQ(acmStreamPrepareHeader(stream, &header, 0), MMSYSERR_INVALPARAM);
  header.cbStruct = sizeof(header);
  EXPECT_EQ(acmStreamConvert(stream, &header, 0), ACMERR_UNPREPARED);
  EXPECT_EQ(acmStreamPrepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(acmStreamConvert(stream, &header, 0), MMSYSERR_NOERROR);
  EXPECT_TRUE(header.fdwStatus & ACMSTREAMHEADER_STATUSF_DONE);
  EXPECT_EQ(acmStreamUnprepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(acmStreamUnprepareHeader(stream, &header, 0), ACMERR_UNPREPARED);
  EXPECT_EQ(acmStreamReset(stream, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(acmStreamClose(stream, 0), MMSYSERR_NOERROR);
}

TEST(AcmFormatSuggest, CompletesPcmFromAPcmSourceOnly) {
  const WAVEFORMATEX source = Pcm(2, 32000);
  WAVEFORMATEX suggested{};
  suggested.wFormatTag = WAVE_FORMAT_PCM;
  suggested.wBitsPerSample = 16;
  ASSERT_EQ(acmFormatSuggest(nullptr, &source, &suggested, sizeof(suggested),
                             ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_WBITSPERSAMPLE),
            MMSYSERR_NOERROR);
  EXPECT_EQ(suggested.nChannels, 2);
  EXPECT_EQ(suggested.nSamplesPerSec, 32000u);
  EXPECT_EQ(suggested.nBlockAlign, 4);
  EXPECT_EQ(suggested.nAvgBytesPerSec, 128000u);
  const WAVEFORMATEX adpcm = Pcm(2, 32000, 4, 2);
  EXPECT_EQ(acmFormatSuggest(nullptr, &adpcm, &suggested, sizeof(suggested), ACM_FORMATSUGGESTF_WFORMATTAG),
            ACMERR_NOTPOSSIBLE);
}

}  // namespace
