#pragma once
// The movie player: movies "movie0.mpg" to "movie9.mpg" drawn frame by frame onto
// the screen while the frame loop shows nothing else.

#include "platform/d3d/D3D.h"
#include "platform/movie/Movie.h"

#include <cstdint>

class CMoviePlayer
{
public:
    enum : int32_t
    {
        Closed = 0,
        Stopped = 1,
        Playing = 2
    };
    ~CMoviePlayer();

    // True when movies can be played on that DirectDraw object.
    bool probe(IDirectDraw7* directDraw);
    bool open(const char* file, IDirectDraw7* directDraw, IDirectDrawSurface7* target);
    void play();
    void stop();
    void rewind();
    // Only while playing: the next frame, when its time has come, onto the target
    // at the rectangle; false at the end (the state is then 1).
    bool renderFrame(const RECT& destination);
    void close();

    int32_t state = Closed;
    platform::MovieStream stream;
    IDirectDrawSurface7* sample = nullptr; // the frame's own surface
    RECT sourceRect;
    IDirectDrawSurface7* target = nullptr;
};

extern CMoviePlayer MoviePlayer;
extern const char* const MovieFiles[10];

// Plays a movie by number 0..9 in game mode; true when it started.
bool PlayMovie(int32_t index);
// The main window's activation: stop a playing movie, play an open stopped one.
void StopMovie();
void ResumeMovie();
// The frame loop's movie slots: draw the next frame; the end of a movie.
bool DrawMovieFrame();
void MovieEnded();
// Esc while a movie plays.
void SkipMovie();
// Fills the frame loop's movie slots.
void InstallMovieHooks();
