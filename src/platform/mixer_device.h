// The one SDL2_mixer audio device that the short sounds (sound.cpp) and the
// music (music.cpp) share. Internal to the sound library.
#pragma once

namespace vestora::detail {

// Opens the audio device on the first call (44.1 kHz stereo, ALSA's console
// messages switched off) and returns whether it is open; later calls return
// the first answer until closeSound() closes the device. Never prints.
bool openMixer();

// Stops the music and frees it (music.cpp); closeSound() calls it before
// the device closes.
void releaseMusic();

}  // namespace vestora::detail
