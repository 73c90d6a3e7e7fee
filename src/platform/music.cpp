#include "platform/music.h"

#include <SDL_mixer.h>

#include "platform/mixer_device.h"

namespace vestora {
namespace {

// The piece loaded last; SDL2_mixer streams it from the file while it plays,
// so it stays loaded until it is replaced or stopped.
Mix_Music* current = nullptr;

}  // namespace

namespace detail {

void releaseMusic() {
  if (!current) return;
  Mix_HaltMusic();
  Mix_FreeMusic(current);
  current = nullptr;
}

}  // namespace detail

bool PlayMusicFile(const std::string& path) {
  detail::releaseMusic();
  if (!detail::openMixer()) return false;
  current = Mix_LoadMUS(path.c_str());
  if (!current) return false;
  if (Mix_PlayMusic(current, 0) != 0) {
    detail::releaseMusic();
    return false;
  }
  return true;
}

void StopMusic() {
  detail::releaseMusic();
}

bool musicPlaying() {
  return current && Mix_PlayingMusic() != 0;
}

}  // namespace vestora
