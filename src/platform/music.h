// The program's background music ("\data\theme2.mp3" and any MP3, OGG or WAV
// piece), streamed through SDL2_mixer on the audio device the short sounds
// use. One piece plays at a time, once through. Without an audio device, or
// when a file is missing or cannot be decoded, nothing plays and nothing is
// reported. Call from the user-interface thread only.
#pragma once

#include <string>

namespace vestora {

// Stops and frees the piece playing, if any, then plays `path` once from its
// beginning (the same file again starts over). Returns false when there is
// no audio device or the file cannot be opened or decoded; nothing plays
// then.
bool PlayMusicFile(const std::string& path);

// Stops and frees the piece playing; does nothing when none is.
void StopMusic();

// Whether a piece is playing now (false once it has played to its end).
bool musicPlaying();

}  // namespace vestora
