#include "GAMES/Rulo2/interface/TextBubbles.h"

std::vector<STextBubble> TextBubbleList;
