#include "engine/shell/shell_ports.h"

#include "engine/archive/profile_file.h"
#include "engine/shell/config_rules.h"
#include "engine/sound/decoder_plugins.h"
#include "engine/text/message_font.h"

void SystemMenuPort::SetOption(ConfigOptions& options, ConfigWord word, std::uint32_t value) {
  options[word] = ApplySetterRule(word, value);
}

void SystemMenuPort::SetMessageFont(ConfigOptions& options, std::uint32_t /*count*/, std::uint32_t index) {
  options[MESSAGE_FONT_INDEX] = index;
}

const char* FontListPort::Name(std::uint32_t index) const { return index == 0 ? face_.c_str() : ""; }

std::uint32_t FontListPort::Find(const char* name) {
  if (name != nullptr && name[0] != '\0') face_ = name;
  return 0;
}

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

std::int32_t ProcessServicesPort::ReadProfileInt(const char* section, const char* key, std::int32_t def,
                                                 const char* path) {
  return ::ReadProfileInt(section, key, def, path);
}

void ProcessServicesPort::WriteProfileValue(const char* section, const char* key, const char* value,
                                            const char* path) {
  ::WriteProfileValue(section, key, value, path);
}

void ProcessServicesPort::SetMessageFontFace(const char* face) { ::SetMessageFontFace(face); }

ProcessServicesPort& StandInProcessServices() {
  static ProcessServicesPort services;
  return services;
}
