#pragma once
// The OpenAL functions the code calls, loaded on first use (platform/dynlib).
// A .cpp that defines VAREK_AL_OWN_NAMES before including this keeps the
// library's own names (the table's loader). A call of a function missing from
// the list fails to link, as the library is not linked: add it to the list.

#include <AL/al.h>
#include <AL/alc.h>

#include "platform/dynlib/DynLib.h"

#define VAREK_AL_FUNCTIONS(X)                                                                                \
    X(alBufferData)                                                                                          \
    X(alDeleteBuffers)                                                                                       \
    X(alDeleteSources)                                                                                       \
    X(alDistanceModel)                                                                                       \
    X(alGenBuffers)                                                                                          \
    X(alGenSources)                                                                                          \
    X(alGetError)                                                                                            \
    X(alGetSourcei)                                                                                          \
    X(alSource3f)                                                                                            \
    X(alSourcePause)                                                                                         \
    X(alSourcePlay)                                                                                          \
    X(alSourceQueueBuffers)                                                                                  \
    X(alSourceRewind)                                                                                        \
    X(alSourceStop)                                                                                          \
    X(alSourceUnqueueBuffers)                                                                                \
    X(alSourcef)                                                                                             \
    X(alSourcei)                                                                                             \
    X(alcCloseDevice)                                                                                        \
    X(alcCreateContext)                                                                                      \
    X(alcDestroyContext)                                                                                     \
    X(alcMakeContextCurrent)                                                                                 \
    X(alcOpenDevice)

VAREK_DYN_TABLE(AlApi, VAREK_AL_FUNCTIONS)

#ifndef VAREK_AL_OWN_NAMES
#define alBufferData (AlApi::Get().alBufferData)
#define alDeleteBuffers (AlApi::Get().alDeleteBuffers)
#define alDeleteSources (AlApi::Get().alDeleteSources)
#define alDistanceModel (AlApi::Get().alDistanceModel)
#define alGenBuffers (AlApi::Get().alGenBuffers)
#define alGenSources (AlApi::Get().alGenSources)
#define alGetError (AlApi::Get().alGetError)
#define alGetSourcei (AlApi::Get().alGetSourcei)
#define alSource3f (AlApi::Get().alSource3f)
#define alSourcePause (AlApi::Get().alSourcePause)
#define alSourcePlay (AlApi::Get().alSourcePlay)
#define alSourceQueueBuffers (AlApi::Get().alSourceQueueBuffers)
#define alSourceRewind (AlApi::Get().alSourceRewind)
#define alSourceStop (AlApi::Get().alSourceStop)
#define alSourceUnqueueBuffers (AlApi::Get().alSourceUnqueueBuffers)
#define alSourcef (AlApi::Get().alSourcef)
#define alSourcei (AlApi::Get().alSourcei)
#define alcCloseDevice (AlApi::Get().alcCloseDevice)
#define alcCreateContext (AlApi::Get().alcCreateContext)
#define alcDestroyContext (AlApi::Get().alcDestroyContext)
#define alcMakeContextCurrent (AlApi::Get().alcMakeContextCurrent)
#define alcOpenDevice (AlApi::Get().alcOpenDevice)
#endif
