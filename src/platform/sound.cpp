#include "platform/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include <map>
#include <string>

#include "platform/data_path.h"
#include "platform/mixer_device.h"
#include "platform/root_dir.h"

namespace vestora {
namespace {

struct Mixer {
  bool tried = false;
  bool open = false;
  // Loaded sounds stay loaded: a chunk must outlive its playback, and the
  // program plays a handful of short files again and again.
  std::map<std::string, Mix_Chunk*> chunks;
};

Mixer& mixer() {
  static Mixer instance;
  return instance;
}

// ALSA reports a missing sound card on stderr; nobody reads it there. Its
// messages are switched off when SDL is about to use it (the library stays
// loaded, so the setting holds).
void quietAlsaHandler(const char*, int, const char*, int, const char*, ...) {}

void silenceAlsa() {
  static bool done = false;
  if (done) return;
  done = true;
  void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
  if (!alsa) return;
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  auto setHandler = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
  if (setHandler) setHandler(&quietAlsaHandler);
}

}  // namespace

bool detail::openMixer() {
  Mixer& m = mixer();
  if (m.tried) return m.open;
  m.tried = true;
  silenceAlsa();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  m.open = true;
  return true;
}

void PlayDataSound(std::string_view root, std::string_view relativePath) {
  if (!detail::openMixer()) return;
  const std::string path = dataPath(root, relativePath);
  Mixer& m = mixer();
  Mix_Chunk*& chunk = m.chunks[path];
  if (!chunk) chunk = Mix_LoadWAV(path.c_str());
  if (!chunk) {
    m.chunks.erase(path);  // try again next time: the file may appear
    return;
  }
  Mix_PlayChannel(-1, chunk, 0);
}

void PlayDataSound(std::string_view relativePath) {
  PlayDataSound(GetRootDir(), relativePath);
}

bool soundAvailable() {
  return detail::openMixer();
}

void closeSound() {
  Mixer& m = mixer();
  if (!m.open) {
    m.tried = false;
    return;
  }
  detail::releaseMusic();
  Mix_HaltChannel(-1);
  for (auto& [path, chunk] : m.chunks) Mix_FreeChunk(chunk);
  m.chunks.clear();
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  m.open = false;
  m.tried = false;
}

}  // namespace vestora
