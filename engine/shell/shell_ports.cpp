#include "engine/shell/shell_ports.h"

#include "engine/archive/profile_file.h"
#include "engine/sound/decoder_plugins.h"
#include "engine/text/message_font.h"

void ProcessServicesPort::LoadMp3Plugin() { ::LoadMp3Plugin(); }

void ProcessServicesPort::LoadOggPlugin() { ::LoadOggPlugin(); }

void ProcessServicesPort::FreeOggPlugin() { ::FreeOggPlugin(); }

void ProcessServicesPort::FreeMp3Plugin() { ::FreeMp3Plugin(); }

void ProcessServicesPort::DeleteMessageFont() { ::DeleteMessageFont(); }

void ProcessServicesPort::ClearProfileCache() { ::ClearProfileCache(); }

void ProcessServicesPort::FlushProfile() { ::FlushProfile(); }

void ProcessServicesPort::ReadProfileString(const char* section, const char* key, const char* def, char* out,
                                            std::uint32_t maxLength, const char* path) {
  ::ReadProfileString(section, key, def, out, static_cast<int>(maxLength), path);
}

ProcessServicesPort& StandInProcessServices() {
  static ProcessServicesPort services;
  return services;
}
