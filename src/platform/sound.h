// Short sounds of the program ("\data\CAMERA.wav" and the like), played
// asynchronously through SDL2_mixer. Playing never fails: without an audio
// device, or when the file is missing or unreadable, nothing is heard and
// nothing is reported. The audio device is opened on the first sound.
// Call from the user-interface thread only.
#pragma once

#include <string_view>

namespace vestora {

// Plays root + relativePath, for a data path such as "\data\CAMERA.wav".
void PlayDataSound(std::string_view root, std::string_view relativePath);
// The same below GetRootDir().
void PlayDataSound(std::string_view relativePath);

// Whether the audio device could be opened (opens it if not yet tried).
bool soundAvailable();

// Stops every sound and the music, frees them and closes the audio device
// (at exit). The next sound opens the device again.
void closeSound();

}  // namespace vestora
