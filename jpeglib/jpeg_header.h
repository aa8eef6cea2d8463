// Table installation and the header step of a write.
#pragma once

#include "jpeglib/jpeg_working_state.h"

// Annex K tables into the slots the caller has not filled.
void jpegInstallDefaultTables(JpegWorkingState& work);
// The quantiser multipliers of a slot's scaled table for the DCT method;
// -8 for an unknown method.
JPEG_STATUS jpegPrepareQuantTable(JpegWorkingState& work, JpegQuantSlot& slot);
// DQT segments with the quality-scaled tables, the quantiser multipliers,
// and for sequential images the DHT segment and the encoder code tables.
JPEG_STATUS jpegWriteTables(JpegWorkingState& work);
// SOI, application segment, comment and tables as the mode asks; selects the
// active forward DCT and quantiser.
JPEG_STATUS jpegWriteHeader(JpegWorkingState& work, std::uint8_t* buffer, std::size_t size);
// Closes held bits and writes staged file bytes.
JPEG_STATUS jpegFlushOutput(JpegWorkingState& work);
