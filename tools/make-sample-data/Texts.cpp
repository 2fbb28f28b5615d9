// The English dialog texts (plain and encoded with the program's own encoder)
// and the demo settings file.
#include <string>
#include <utility>
#include <vector>

#include "GAMES/Rulo2/app/DialogTextEncoder.h"
#include "tools/make-sample-data/SampleData.h"

namespace sample {

namespace {

// A text for every key the program looks up so far, grouped as the screens use them.
const std::vector<std::pair<const char*, const char*>> kTexts = {
    {"// Window", nullptr},
    {"RULO2", "Varek"},
    {"// Start-up errors", nullptr},
    {"ERROR_WRONGDXVERSION", "This program needs a newer version of the graphics system."},
    {"ERROR_DXINIT_WINDOW", "The game could not start in a window and tries full screen instead."},
    {"ERROR_DXINIT_FAILED", "The graphics could not be started. The game ends now."},
    {"ERROR_CANTPLAYBACKMOVIE", "Movies cannot be played on this computer. The game goes on without them."},
    {"// Character labels", nullptr},
    {"CHR_Hero", "Hero"},
    {"CHR_Passant", "Passer-by"},
    {"// Levels", nullptr},
    {"LEVEL_1", "The Corner Shop"},
    {"LEVEL_2", "Linden Street"},
    {"LEVEL_3", "The Old Mill"},
    {"LEVEL_4", "Linden Street"},
    {"MENU_BURG_1", "Burglary 1: The Corner Shop"},
    {"MENU_BURG_2", "Burglary 2: Linden Street"},
    {"MENU_BURG_3", "Burglary 3: The Old Mill"},
    {"MENU_BURG_4", "Burglary 4: Linden Street"},
    {"// Message boxes", nullptr},
    {"REALLY_QUIT", "Do you really want to quit?"},
    {"ERROR_LOADING_PLAN", "The plan could not be loaded."},
    {"ERROR_LOADING_PLAN_FILEERROR", "The plan file is damaged."},
    {"ERROR_LOADING_PLAN_UNKNOWNERROR", "The plan does not fit this game."},
    {"ERROR_LOADING_PLAN_UNKNOWNPERSON", "Someone in the plan is not part of your gang."},
    {"ERROR_LOADING_PLAN_UNKNOWNTOOL", "A tool of the plan is missing."},
    {"ERROR_LOADING_PLAN_UNKNOWNCAR", "The car of the plan is missing."},
    {"ERROR_LOADING_PLAN_PERSONUNDERCOVER", "Someone in the plan is too well known to the police."},
    {"ERROR_EXECUTING_PLAN_MORE_THAN_ONCE", "This plan has already been carried out."},
    {"ERROR_WRONGLEVEL", "This plan belongs to another burglary."},
    {"ERROR_SAVING_PLAN", "The plan could not be saved."},
    {"ERROR_LOADING_GAME", "The game could not be loaded."},
    {"ERROR_SAVING_GAME", "The game could not be saved."},
    {"NEWGAME_CONFIRMATION", "Start a new game? Progress that is not saved will be lost."},
    {"DELETEPLAN_CONFIRMATION", "Delete this plan?"},
    {"DELETEGAME_CONFIRMATION", "Delete this saved game?"},
    {"TUTORIAL_CONFIRMATION", "Would you like to play the tutorial first?"},
    {"HERO_TUTORIAL_COMPLETE", "Well done! The tutorial is complete."},
    {"// Saved games and plans", nullptr},
    {"AUTOSAVE", "Autosave"},
    {"MENU_OP_NOTITLE", "No title"},
    {"EMPTY_SLOT", "Empty slot"},
    {"ENTER_GAME_INFO", "Title of the saved game:"},
    {"ENTER_PLAN_INFO", "Title of the plan:"},
    {"// Speech bubbles", nullptr},
    {"HERO_NEWGAME", "Time to get to work."},
    {"CHAR_DOORNOPLAN", "That house is not part of the plan."},
    {"CHAR_DOORLOCKED", "Locked."},
    {"CHAR_WINALREADYOPEN", "It is open already."},
    {"CHAR_WINLOOKTHRUINSIDE", "I can't see much from in here."},
    {"CHAR_WINBLOCKED", "Someone is climbing through."},
    {"CHAR_WINLOCKED", "The window is locked."},
    {"CHAR_WINJUMP", "Too far to jump."},
    {"CHAR_WINWAY", "Something is in the way."},
    {"// Selection list", nullptr},
    {"TTIP_SEL_OK", "Take the chosen entry"},
    {"TTIP_SEL_CANCEL", "Back without choosing"},
    {"TTIP_SEL_ZOOM", "Switch between the large view and the overview"},
    {"TTIP_SEL_UP", "Earlier entries"},
    {"TTIP_SEL_DOWN", "Later entries"},
    {"SELL_NOTTOBESOLD", "Not for sale"},
    {"SELL_SOLD", "Sold"},
    {"SELL_LAUNDERED", "Laundered"},
    {"OF", "of"},
    {"BURGLARY_UNKNOWN_DESCRIPTION", "Not open yet."},
    {"// Info texts", nullptr},
    {"ATTR_TOOL", "tool"},
    {"ATTR_LOOT", "loot"},
    {"ATTR_ITEM", "item"},
    {"ATTR_NA", "Name"},
    {"ATTR_VA", "Value"},
    {"ATTR_TS", "Load space"},
    {"ATTR_MS", "Top speed"},
    {"ATTR_AC", "Acceleration"},
    {"ATTR_ST", "Strength"},
    {"ATTR_SP", "Speed"},
    {"ATTR_WE", "Weight"},
    {"ATTR_CR", "Crime record"},
    {"ATTR_PL", "Locks"},
    {"ATTR_PS", "Safes"},
    {"ATTR_AS", "Alarms"},
    {"ATTR_CO", "Uses left"},
    {"ATTR_DA", "Leaves damage"},
    {"ATTR_EFF_GLAS", "On glass"},
    {"ATTR_EFF_WOOD", "On wood"},
    {"ATTR_EFF_METAL", "On metal"},
    {"ATTR_EFF_ALARM", "On alarms"},
    {"ATTR_NOI_GLAS", "Noise on glass"},
    {"ATTR_NOI_WOOD", "Noise on wood"},
    {"ATTR_NOI_METAL", "Noise on metal"},
    {"ATTR_NOI_ALARM", "Noise on alarms"},
    {"YES", "yes"},
    {"NO", "no"},
    {"// Plan selection, description entry and message box", nullptr},
    {"MENU_PS_NEWPLAN", "New plan"},
    {"MENU_PS_EDITPLAN", "Edit a plan"},
    {"MENU_PS_STARTPLAN", "Carry out a plan"},
    {"MENU_PS_DELETEPLAN", "Delete a plan"},
    {"MENU_BACK", "Back"},
    {"OK", "OK"},
    {"CANCEL", "Cancel"},
    {"// Options", nullptr},
    {"MENU_OP_NEWGAME", "New game"},
    {"MENU_OP_TUTORIAL", "Tutorial"},
    {"MENU_OP_LOADGAME", "Load game"},
    {"MENU_OP_SAVEGAME", "Save game"},
    {"MENU_OP_DELETEGAME", "Delete game"},
    {"MENU_OP_GOPT", "Game options"},
    {"MENU_OP_VOPT", "Video options"},
    {"MENU_OP_AOPT", "Audio options"},
    {"MENU_OP_RESUMEGAME", "Resume game"},
    {"MENU_OP_QUIT", "Quit"},
    {"MENU_OP_VIDEO_TITLE", "Video"},
    {"MENU_OP_RES", "Resolution"},
    {"MENU_OP_VDET", "View distance"},
    {"MENU_OP_TTD", "Tooltip delay"},
    {"MENU_OP_SHADOWMAPS", "Shadow maps"},
    {"MENU_OP_MIPMAP", "Mip-mapping"},
    {"MENU_OP_HIGHRES", "High-resolution textures"},
    {"MENU_OP_SHADOWNOTE", "Shadow maps take effect with the next level."},
    {"MENU_OP_NEAREST", "nearest"},
    {"MENU_OP_NEAR", "near"},
    {"MENU_OP_FAR", "far"},
    {"MENU_OP_FARTHEST", "farthest"},
    {"MENU_OP_TTOFF", "off"},
    {"MENU_OP_AUDIO_TITLE", "Audio"},
    {"MENU_OP_MVOL", "Music volume"},
    {"MENU_OP_SVOL", "Sound volume"},
    {"MENU_OP_HEROLISTEN", "Hear from the hero"},
    {"MENU_OP_GAME_TITLE", "Game"},
    {"MENU_OP_AUTOCAM", "Camera follows the hero"},
    {"MENU_OP_INVERTMOUSE", "Invert the mouse"},
    {"TTIP_VIDEO_OK", "Use these video settings"},
    {"TTIP_VIDEO_CANCEL", "Keep the video settings as they were"},
    {"TTIP_AUDIO_OK", "Use these volumes"},
    {"TTIP_AUDIO_CANCEL", "Keep the volumes as they were"},
    {"// Results", nullptr},
    {"MENU_RS_BURSTAT", "The burglary"},
    {"MENU_RS_NEEDED", "Loot needed"},
    {"MENU_RS_LOOTVAL", "Loot to be had"},
    {"MENU_RS_GATLOOT", "Loot taken"},
    {"MENU_RS_TIME", "Time"},
    {"MENU_RS_PARTIME", "Par time"},
    {"MENU_RS_SUCCESS", "Success!"},
    {"MENU_RS_FAILED", "The burglary has failed."},
    {"MENU_RS_REASON", "Reason:"},
    {"MENU_RS_NOTENOUGHLOOT", "Not enough loot."},
    {"MENU_RS_SPECIALASSIGNMENT", "The special assignment was not carried out."},
    {"MENU_RS_CAPTURED", "You were caught."},
    {"MENU_RS_HIDING", "Lies low for a while"},
    {"MENU_RS_POLICE_KNOWS_ME", "The police know my face now."},
    {"TTIP_RS_OK", "On to the next job"},
    {"TTIP_RS_TRYAGAIN", "Try again"},
    {"// Map", nullptr},
    {"TTIP_MAP_CLOSE", "Close the map"},
    {"TTIP_MAP_LEVEL", "Zoom"},
    {"TTIP_MAP_ZOOM", "Large or small map"},
    {"// HUD bar", nullptr},
    {"TTIP_BAR_MAP", "Town map"},
    {"TTIP_BAR_WIN", "Drag to run time faster, or back"},
    {"TTIP_BAR_INV", "What the character carries"},
    {"DISPLAY_RICH", "RICH!"},
    {"// Planning screen", nullptr},
    {"TTIP_PLAN_TARGET", "Choose the burglary"},
    {"TTIP_PLAN_CAR", "Choose the getaway car"},
    {"TTIP_PLAN_SELAC1", "Choose the first accomplice"},
    {"TTIP_PLAN_SELAC2", "Choose the second accomplice"},
    {"TTIP_PLAN_SELAC3", "Choose the third accomplice"},
    {"TTIP_PLAN_SHOWAC1", "About the first accomplice"},
    {"TTIP_PLAN_SHOWAC2", "About the second accomplice"},
    {"TTIP_PLAN_SHOWAC3", "About the third accomplice"},
    {"TTIP_PLAN_RAC1", "Leave the first accomplice at home"},
    {"TTIP_PLAN_RAC2", "Leave the second accomplice at home"},
    {"TTIP_PLAN_RAC3", "Leave the third accomplice at home"},
    {"TTIP_PLAN_SHOWHERO", "About the hero"},
    {"TTIP_PLAN_ENTERTOOL", "Hand out the tools"},
    {"TTIP_PLAN_LEAVETOOL", "Back to the gang"},
    {"TTIP_PLAN_ENTERINFO", "About the gang"},
    {"TTIP_PLAN_LEAVEINFO", "Back to the gang"},
    {"TTIP_PLAN_LEFT", "Scroll the tools"},
    {"TTIP_PLAN_OK", "Start planning with this gang"},
    {"TTIP_PLAN_CANCEL", "Back without a plan"},
    {"MENU_PLAN_CARSPACE", "Room in the car"},
    {"MENU_PLAN_OVERLOADED", "Overloaded!"},
    {"LOOT_PERCENTAGE", "of the loot"},
};

} // namespace

bool MakeDialogTexts(SContext& c)
{
    std::string text = "// Varek: English texts of the demo\r\n";
    for (const auto& [key, value] : kTexts) {
        if (!value)
            text += std::string("\r\n") + key + "\r\n";
        else
            text += std::string(key) + " = " + value + "\r\n";
    }
    const fs::path plain = c.out / "data" / "dialogs_eng_demo.txt";
    if (!WriteFileBytes(plain, text.data(), text.size(), c.error))
        return false;
    std::string error;
    const fs::path encoded = c.out / "data" / "dialogs_eng_demo_encoded.txt";
    if (!EncodeDialogTextFile(plain.string(), encoded.string(), &error)) {
        c.error = error;
        return false;
    }
    return true;
}

bool MakeDemoSettings(SContext& c)
{
    const std::string ini = "[DemoSettings]\r\nAudioTrack=3\r\n";
    return WriteFileBytes(c.out / "VarekDemo.ini", ini.data(), ini.size(), c.error);
}

} // namespace sample
