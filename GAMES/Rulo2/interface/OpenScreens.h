#pragma once
// One small function per in-game screen: it empties the screen, builds it anew for the current
// game state and, for the screens the game step renders on demand, raises the screen's open flag
// (app/GameState.h). Times are the current interface time in milliseconds.
#include <cstdint>

#include "GAMES/Rulo2/interface/CMenuElement.h"

void OpenSelectMenu(int32_t time, uint8_t startInGrid, int32_t okMode);
// The HUD's planning screen and its bar.
void OpenGameMenu(int32_t time);
void OpenHudBarMenu(int32_t time);
void OpenMapMenu(int32_t time);
void OpenTutorialMenu(int32_t time);
void OpenPlanSelectMenu(int32_t time);
void OpenPPMenu(int32_t time);
void OpenOptionsMenu(int32_t time);
void OpenResultsMenu(int32_t time);
void OpenListMenu(int32_t time, const char* prompt, const char* initialText);
void OpenPictureMenu(int32_t time, CMenuElement::Point topLeft, CMenuElement::Point bottomRight);
// The text is already looked up; the purpose code says what the game step does with the answer.
void OpenMessageMenu(int32_t time, const char* text, int32_t purpose, uint8_t confirmStyle);
// The saved games or plans from disk in the selection list, for saving or loading.
void ShowGameSlots(bool saving);
void ShowPlanSlots(bool saving);
