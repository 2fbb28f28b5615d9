// The interface's pictures and small models, loaded once from the program's
// resources ("IMAGES" and "MODELS") right after the device is made.
#pragma once

#include <cstdint>

class CD3DLight;
class CRootNode;
class CTexture;
class imgImage;

// Null when the resource is missing (one log line naming its type and id).
imgImage* LoadImageResource(uint16_t id);
// The texture is kept out of the global texture list's reach: the list's head
// is set back to its value from before the call.
CTexture* LoadTextureResource(uint16_t id, const char* name, bool colourKeyed);
CRootNode* LoadModelFromResource(uint16_t id);

// False at once when the device is not initialised; true otherwise, also when
// resources are missing (their holders stay null).
bool LoadGameResources();
void FreeGameResources();

// The holders. `copy` picks one of several holders of the same resource
// (model 460 is held three times, texture 336 twice); null when not loaded.
CTexture* GameResourceTexture(uint16_t id, int copy = 0);
CRootNode* GameResourceModel(uint16_t id, int copy = 0);
// Image 569, converted for the interface.
imgImage* GameResourceImage();
// The interface light "Sun"; null while the sun-light switch is off.
CD3DLight* GameResourceSun();
// The editor's "Sun" switch: deletes the sun, or creates it as at start-up.
void SwitchSun(bool on);
