#include <soxr.h>

#include <cstring>
#include <vector>

#include "host/codecs/acm_api.h"
#include "host/codecs/pcm_channels.h"
#include "host/run/call_log.h"

struct AcmStream {
  WAVEFORMATEX source{};
  WAVEFORMATEX target{};
  soxr_t resampler = nullptr;  // null when the rates are equal
  // The resampler runs on the smaller channel count of the two sides.
  unsigned workChannels = 1;
  std::uint64_t framesIn = 0;   // source frames since the source started
  std::uint64_t framesOut = 0;  // target frames made from them
  std::vector<std::int16_t> pending;  // made, not yet delivered (target channels)
  // Scratch of one conversion, kept so blocks reuse their memory.
  std::vector<std::int16_t> mixed;
  std::vector<std::int16_t> work;
};

namespace {

constexpr DWORD kMinRate = 8000;
constexpr DWORD kMaxRate = 96000;

bool IsConvertiblePcm(const WAVEFORMATEX& format) {
  return format.wFormatTag == WAVE_FORMAT_PCM && format.wBitsPerSample == 16 &&
         (format.nChannels == 1 || format.nChannels == 2) && format.nBlockAlign == format.nChannels * 2 &&
         format.nSamplesPerSec >= kMinRate && format.nSamplesPerSec <= kMaxRate;
}

// Target frames for `frames` source frames once the source has ended: the
// rounded rate ratio.
std::uint64_t TargetFrames(const AcmStream& stream, std::uint64_t frames) {
  const std::uint64_t in = stream.source.nSamplesPerSec;
  return (frames * stream.target.nSamplesPerSec + in / 2) / in;
}

// Resamples work-channel frames (null input flushes) and appends the result
// to `out`, until the input is taken or, when flushing, nothing more comes.
void Resample(AcmStream& stream, const std::int16_t* in, std::size_t frames, std::vector<std::int16_t>* out) {
  const double ratio = static_cast<double>(stream.target.nSamplesPerSec) / stream.source.nSamplesPerSec;
  const std::size_t capacity = static_cast<std::size_t>(static_cast<double>(frames) * ratio) + 256;
  do {
    const std::size_t at = out->size();
    out->resize(at + capacity * stream.workChannels);
    std::size_t taken = 0;
    std::size_t made = 0;
    const soxr_error_t error =
        soxr_process(stream.resampler, in, frames, &taken, out->data() + at, capacity, &made);
    out->resize(at + (error ? 0 : made) * stream.workChannels);
    if (error) return;
    if (in) {
      if (taken == 0 && made == 0) return;
      in += taken * stream.workChannels;
      frames -= taken;
    } else if (made == 0) {
      return;
    }
  } while (frames > 0 || !in);
}

// The end of the source: what the resampler holds comes out, and the
// source's output is cut or padded to its rounded length (the flush may
// leave a sample more or less). The next block starts a new source.
void EndSource(AcmStream& stream, std::vector<std::int16_t>* work) {
  if (stream.resampler) Resample(stream, nullptr, 0, work);
  const std::uint64_t wanted = TargetFrames(stream, stream.framesIn);
  const std::uint64_t keep = wanted > stream.framesOut ? wanted - stream.framesOut : 0;
  work->resize(static_cast<std::size_t>(keep * stream.workChannels));
  if (stream.resampler) soxr_clear(stream.resampler);
  stream.framesIn = 0;
  stream.framesOut = 0;
}

void Deliver(AcmStream& stream, std::vector<std::int16_t>& work) {
  const std::size_t frames = work.size() / stream.workChannels;
  if (stream.target.nChannels == stream.workChannels) {
    stream.pending.insert(stream.pending.end(), work.begin(), work.end());
    return;
  }
  const std::size_t at = stream.pending.size();
  stream.pending.resize(at + frames * 2);
  CopyMonoToStereo(work.data(), frames, stream.pending.data() + at);
}

}  // namespace

MMRESULT acmFormatSuggest(HACMDRIVER driver, const WAVEFORMATEX* src, WAVEFORMATEX* dst, DWORD cbDst, DWORD flags) {
  if (driver != nullptr || src == nullptr || dst == nullptr || cbDst < sizeof(WAVEFORMATEX)) return MMSYSERR_INVALPARAM;
  if (src->wFormatTag != WAVE_FORMAT_PCM) return ACMERR_NOTPOSSIBLE;
  WAVEFORMATEX suggested = *src;
  if (flags & ACM_FORMATSUGGESTF_WFORMATTAG) suggested.wFormatTag = dst->wFormatTag;
  if (flags & ACM_FORMATSUGGESTF_NCHANNELS) suggested.nChannels = dst->nChannels;
  if (flags & ACM_FORMATSUGGESTF_NSAMPLESPERSEC) suggested.nSamplesPerSec = dst->nSamplesPerSec;
  if (flags & ACM_FORMATSUGGESTF_WBITSPERSAMPLE) suggested.wBitsPerSample = dst->wBitsPerSample;
  suggested.nBlockAlign = static_cast<WORD>(suggested.nChannels * suggested.wBitsPerSample / 8);
  suggested.nAvgBytesPerSec = suggested.nBlockAlign * suggested.nSamplesPerSec;
  suggested.cbSize = 0;
  if (!IsConvertiblePcm(suggested)) return ACMERR_NOTPOSSIBLE;
  *dst = suggested;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamOpen(HACMSTREAM* stream, HACMDRIVER driver, const WAVEFORMATEX* src, const WAVEFORMATEX* dst,
                       void* filter, DWORD_PTR callback, DWORD_PTR, DWORD) {
  HostCallLogRecord("acmStreamOpen");
  if (stream == nullptr) return MMSYSERR_INVALPARAM;
  *stream = nullptr;
  if (driver != nullptr || filter != nullptr || callback != 0 || src == nullptr || dst == nullptr) {
    return MMSYSERR_INVALPARAM;
  }
  if (!IsConvertiblePcm(*src) || !IsConvertiblePcm(*dst)) return ACMERR_NOTPOSSIBLE;
  auto* opened = new AcmStream;
  opened->source = *src;
  opened->target = *dst;
  opened->workChannels = src->nChannels < dst->nChannels ? src->nChannels : dst->nChannels;
  if (src->nSamplesPerSec != dst->nSamplesPerSec) {
    // Integer samples out without dither: equal input gives equal output.
    const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    soxr_io_spec_t plain = io;
    plain.flags |= SOXR_NO_DITHER;
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    opened->resampler = soxr_create(src->nSamplesPerSec, dst->nSamplesPerSec, opened->workChannels, &error, &plain,
                                    &quality, nullptr);
    if (error != nullptr || opened->resampler == nullptr) {
      delete opened;
      return MMSYSERR_NOMEM;
    }
  }
  *stream = opened;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamSize(HACMSTREAM stream, DWORD input, DWORD* output, DWORD flags) {
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  if (output == nullptr) return MMSYSERR_INVALPARAM;
  const std::uint64_t srcRate = stream->source.nSamplesPerSec;
  const std::uint64_t dstRate = stream->target.nSamplesPerSec;
  std::uint64_t bytes = 0;
  if (flags == ACM_STREAMSIZEF_SOURCE) {
    const std::uint64_t frames = input / stream->source.nBlockAlign;
    bytes = ((frames * dstRate + srcRate - 1) / srcRate + 1) * stream->target.nBlockAlign;
  } else if (flags == ACM_STREAMSIZEF_DESTINATION) {
    const std::uint64_t frames = input / stream->target.nBlockAlign;
    const std::uint64_t source = frames * srcRate / dstRate;
    bytes = (source > 0 ? source - 1 : 0) * stream->source.nBlockAlign;
  } else {
    return MMSYSERR_INVALFLAG;
  }
  if (bytes > 0xFFFFFFFFu) return ACMERR_NOTPOSSIBLE;
  *output = static_cast<DWORD>(bytes);
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamPrepareHeader(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD) {
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  if (header == nullptr || header->cbStruct != sizeof(ACMSTREAMHEADER) || header->pbSrc == nullptr ||
      header->pbDst == nullptr) {
    return MMSYSERR_INVALPARAM;
  }
  header->fdwStatus = ACMSTREAMHEADER_STATUSF_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamConvert(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD flags) {
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  if (header == nullptr || header->cbStruct != sizeof(ACMSTREAMHEADER)) return MMSYSERR_INVALPARAM;
  if (!(header->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED)) return ACMERR_UNPREPARED;
  if (flags & ~ACM_STREAMCONVERTF_BLOCKALIGN) return MMSYSERR_INVALFLAG;

  const std::size_t frames = header->cbSrcLength / stream->source.nBlockAlign;
  const auto* source = reinterpret_cast<const std::int16_t*>(header->pbSrc);
  if (stream->source.nChannels > stream->workChannels) {
    stream->mixed.resize(frames);
    MixStereoToMono(source, frames, stream->mixed.data());
    source = stream->mixed.data();
  }
  stream->framesIn += frames;
  std::vector<std::int16_t>& work = stream->work;
  work.clear();
  if (stream->resampler) {
    Resample(*stream, source, frames, &work);
  } else {
    work.assign(source, source + frames * stream->workChannels);
  }
  if (flags & ACM_STREAMCONVERTF_BLOCKALIGN) {
    stream->framesOut += work.size() / stream->workChannels;
  } else {
    EndSource(*stream, &work);
  }
  Deliver(*stream, work);

  const std::size_t room = header->cbDstLength / stream->target.nBlockAlign * stream->target.nChannels;
  const std::size_t given = room < stream->pending.size() ? room : stream->pending.size();
  if (given) std::memcpy(header->pbDst, stream->pending.data(), given * sizeof(std::int16_t));
  stream->pending.erase(stream->pending.begin(), stream->pending.begin() + static_cast<std::ptrdiff_t>(given));
  header->cbSrcLengthUsed = static_cast<DWORD>(frames * stream->source.nBlockAlign);
  header->cbDstLengthUsed = static_cast<DWORD>(given * sizeof(std::int16_t));
  header->fdwStatus |= ACMSTREAMHEADER_STATUSF_DONE;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamUnprepareHeader(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD) {
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  if (header == nullptr || header->cbStruct != sizeof(ACMSTREAMHEADER)) return MMSYSERR_INVALPARAM;
  if (!(header->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED)) return ACMERR_UNPREPARED;
  header->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamReset(HACMSTREAM stream, DWORD) {
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  if (stream->resampler) soxr_clear(stream->resampler);
  stream->framesIn = 0;
  stream->framesOut = 0;
  stream->pending.clear();
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamClose(HACMSTREAM stream, DWORD) {
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  if (stream->resampler) soxr_delete(stream->resampler);
  delete stream;
  return MMSYSERR_NOERROR;
}
