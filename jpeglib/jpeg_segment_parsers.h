// Parsers of the marker segments the decoder interprets. Each reads its
// segment from the read state's input and fills the working state; the
// first fault ends the parse with its status.
#pragma once

#include "jpeglib/jpeg_working_state.h"

JPEG_STATUS parseDri(JpegWorkingState& work);
// Frame geometry; the caller decides which frame markers are taken.
JPEG_STATUS parseSof(JpegWorkingState& work);
JPEG_STATUS parseApp14(JpegWorkingState& work);
// JFIF and JFXX; thumbnails are written in the thumbnail read modes.
JPEG_STATUS parseApp0(JpegWorkingState& work);
JPEG_STATUS parseCom(JpegWorkingState& work);
JPEG_STATUS parseDqt(JpegWorkingState& work);
JPEG_STATUS parseDht(JpegWorkingState& work);
// The scan header into `scan`, checked against the frame and the tables.
JPEG_STATUS parseSos(JpegWorkingState& work, JPEG_SCAN& scan);
