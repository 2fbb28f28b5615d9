// The tutorial's pages: "Tutorial\Tutorial<n>_1.htm" for pages 1 to 8, written as
// the pages of the time were, in Windows-1252 with presentational markup (body and
// cell colours, centred headings, font colours, a picture aligned to the right),
// each with a table and a small picture of its own.
#include <cstdio>
#include <string>

#include "tools/make-sample-data/SampleData.h"

namespace sample {

namespace {

struct SPage
{
    const char* title;
    const char* text; // Windows-1252
    const char* keys[3][2];
};

const SPage kPages[8] = {
    {"Welcome",
     "Welcome to the town. This guide shows you, step by step, how a job is planned and done. "
     "Click the emblem at the right edge whenever you want to read the next step.",
     {{"Left click", "choose"}, {"Right click", "look around"}, {"Esc", "menu"}}},
    {"Your hideout",
     "Everything starts at the hideout. Choose <b>New plan</b> to start planning the first job; "
     "the guide moves on by itself when you do.",
     {{"New plan", "start planning"}, {"Load", "continue a plan"}, {"Delete", "throw a plan away"}}},
    {"Looking around",
     "Move the view with the mouse and zoom with the wheel. Walk your crook to the street corner "
     "to have a look at the house.",
     {{"Wheel", "zoom"}, {"Middle button", "turn the view"}, {"Left click", "walk there"}}},
    {"Recording the plan",
     "Every step you take now is recorded. When the plan feels right, save it: the guide carries on "
     "once the plan is saved.",
     {{"Record", "steps are written"}, {"Pause", "time stands still"}, {"Save", "keep the plan"}}},
    {"Doors and locks",
     "A locked door needs the right tool. Pick the tool from the bag, then click the door. "
     "Noise carries: a guard who hears it comes to look.",
     {{"Bag", "your tools"}, {"Door", "use the tool"}, {"Noise", "wakes the guards"}}},
    {"The loot",
     "Take what shines, but mind the weight: a heavy bag slows you down. Back at the car, the loot "
     "is counted.",
     {{"Pick up", "left click"}, {"Weight", "slows you"}, {"Car", "counts the loot"}}},
    {"Selling",
     "At the fence you sell the loot for cash. Cash buys better tools and pays the crew for the "
     "next job.",
     {{"Fence", "buys loot"}, {"Cash", "buys tools"}, {"Crew", "wants its share"}}},
    {"Your first job",
     "That is all there is to it. Plan carefully, keep an eye on the clock, and good luck \x96 "
     "the town is yours.",
     {{"Plan", "think first"}, {"Clock", "guards keep time"}, {"Luck", "helps too"}}},
};

// The page's own picture: a badge with the page number.
bool WritePicture(SContext& c, int number, const fs::path& file)
{
    SPicture p(96, 96, Rgb(38, 46, 60));
    p.VerticalGradient(0, 0, 96, 96, Rgb(70, 84, 106), Rgb(38, 46, 60));
    p.Disc(48, 48, 38, Rgb(236, 170, 60));
    p.Disc(48, 48, 32, Rgb(38, 46, 60));
    const std::string label = std::to_string(number);
    p.Text((96 - SPicture::TextWidth(label.c_str(), 6)) / 2, 48 - 21, label.c_str(), 6, Rgb(240, 236, 224));
    p.Frame(0, 0, 96, 96, 2, Rgb(180, 190, 204));
    return p.Save(file, c.error);
}

} // namespace

bool MakeTutorialPages(SContext& c)
{
    const fs::path folder = c.out / "Tutorial";
    for (int n = 1; n <= 8; ++n) {
        const SPage& page = kPages[n - 1];
        char picture[32];
        std::snprintf(picture, sizeof picture, "Step%d.bmp", n);
        if (!WritePicture(c, n, folder / picture))
            return false;
        std::string html;
        html += "<HTML>\r\n<HEAD><TITLE>Tutorial - " + std::string(page.title) + "</TITLE></HEAD>\r\n";
        html += "<BODY BGCOLOR=\"#1C2A3A\" TEXT=\"#E8E4D8\" LINK=\"#F0B040\">\r\n";
        html += "<CENTER><H2><FONT COLOR=\"#F0B040\">Step " + std::to_string(n) + " of 8</FONT><BR>" +
                page.title + "</H2></CENTER>\r\n";
        html +=
            "<IMG SRC=\"" + std::string(picture) + "\" ALIGN=RIGHT HSPACE=8 VSPACE=4 WIDTH=96 HEIGHT=96>\r\n";
        html += "<P><FONT SIZE=3>" + std::string(page.text) + "</FONT></P>\r\n";
        html += "<TABLE BORDER=1 CELLPADDING=4 CELLSPACING=0 WIDTH=\"90%\">\r\n";
        for (const auto& row : page.keys)
            html += "<TR><TD BGCOLOR=\"#304860\" WIDTH=\"40%\"><B>" + std::string(row[0]) + "</B></TD><TD>" +
                    row[1] + "</TD></TR>\r\n";
        html += "</TABLE>\r\n";
        if (n < 8) {
            char next[40];
            std::snprintf(next, sizeof next, "Tutorial%d_1.htm", n + 1);
            html += "<P ALIGN=RIGHT><A HREF=\"" + std::string(next) + "\">Next step &gt;&gt;</A></P>\r\n";
        }
        html += "</BODY>\r\n</HTML>\r\n";
        char name[40];
        std::snprintf(name, sizeof name, "Tutorial%d_1.htm", n);
        if (!WriteFileBytes(folder / name, html.data(), html.size(), c.error))
            return false;
    }
    return true;
}

} // namespace sample
