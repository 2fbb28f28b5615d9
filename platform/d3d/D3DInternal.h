// Shared between the device module's source files only.
#pragma once

#include "platform/d3d/GlApi.h"

#include "platform/d3d/D3D.h"

namespace d3dgl {

// True when a GL context is current on the attached window.
bool HaveContext();
// Makes a context on a hidden window when no window is attached yet.
bool EnsureContext();
// Binds a render target's framebuffer (0 = the window), skipping redundant binds.
void BindFramebuffer(GLuint fbo);
// Creates or resizes the framebuffer of a render-target surface.
bool EnsureFramebuffer(IDirectDrawSurface7* s);
// Uploads the CPU copy as a GL texture when it changed; keyed = colour key as alpha.
GLuint EnsureTexture(IDirectDrawSurface7* s, bool keyed);
// A 1x1 opaque white texture: what a stage without a texture reads.
GLuint WhiteTexture();
// Moves on whenever code outside the device's draws binds textures, sets texture
// parameters or deletes GL objects: what the draws recorded of GL is then stale.
uint64_t GLEpoch();
void GLChangedOutsideDraws();
// Deletes GL objects of surfaces released off the main thread, on the main thread.
void CollectGarbage();
void DeleteLater(GLuint texture, GLuint fbo, GLuint renderbuffer);
// The device's caps as synthesised from the GL context and the test overrides.
D3DDEVICEDESC7 MakeDeviceCaps();
const D3DCapsOverride& CapsOverride();
void Register(IDirectDrawSurface7* s);
void Unregister(IDirectDrawSurface7* s);

} // namespace d3dgl
