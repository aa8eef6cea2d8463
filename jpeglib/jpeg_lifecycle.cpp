// jpegInit and jpegFree: the working state and kernel table of a record.
#include <new>

#include "host/files/file_api.h"
#include "jpeglib/jpeg_working_state.h"

JPEG_STATUS jpegInit(JPEG_PROPERTIES* props) {
  if (props == nullptr) return JPEG_INVALID_PROPERTIES;
  if (props->work != nullptr) jpegFree(props);
  auto* work = new (std::nothrow) JpegWorkingState;
  if (work == nullptr) return JPEG_MEMORY_ERROR;
  work->processorClass = jpegSelectProcessorTable(work->table);
  for (int c = 0; c < kJpegMaxComponents; ++c) work->frame.components[c].quantTable = c == 0 ? 0 : 1;
  props->work = work;

  props->keepWorkingState = 0;
  props->imagePixels = nullptr;
  props->imageWidth = 0;
  props->imageHeight = 0;
  props->imageRowPadding = 0;
  props->imageChannels = 3;
  props->imageColor = JPEG_COLOR_BGR;
  props->imageSampling = 0;
  props->jpegFileName = nullptr;
  props->jpegBuffer = nullptr;
  props->jpegBufferSize = 0;
  props->jpegWidth = 0;
  props->jpegHeight = 0;
  props->jpegChannels = 3;
  props->jpegColor = JPEG_COLOR_YCBCR;
  props->jpegSampling = JPEG_SAMPLING_420;
  props->thumbWidth = 0;
  props->thumbHeight = 0;
  props->convertColor = 1;
  props->resample = 1;
  props->quality = 75;
  work->fields = *props;
  return JPEG_SUCCESS;
}

JPEG_STATUS jpegFree(JPEG_PROPERTIES* props) {
  if (props == nullptr || props->work == nullptr) return JPEG_SUCCESS;
  JpegWorkingState* work = props->work;
  JPEG_STATUS status = JPEG_SUCCESS;
  // Any open file goes, an interrupted write's included; a failed close is
  // reported but the rest is still released.
  if (work->output.file != nullptr && !CloseHandle(work->output.file)) status = JPEG_ERROR_CLOSE_FILE;
  if (work->read.input.file != nullptr && !CloseHandle(work->read.input.file)) status = JPEG_ERROR_CLOSE_FILE;
  jpegReleaseSystemEntries(work->table);
  delete work;
  props->work = nullptr;
  return status;
}
