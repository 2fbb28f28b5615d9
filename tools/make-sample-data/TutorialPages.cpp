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

// One page per step that the game's events move on: entering the hideout (1),
// a new plan (2), the gang confirmed (3), a successful burglary (5), loot sold
// (6), a tool bought (7); page 8 is reached through the link of page 7.
const SPage kPages[8] = {
    {"Welcome",
     "Welcome to the town. This guide shows you, step by step, how a job is planned and done. "
     "Walk your crook to the hideout to start planning the first job.",
     {{"Left click", "walk there"}, {"Right click", "look around"}, {"Esc", "menu"}}},
    {"Your hideout",
     "Everything starts at the hideout. Choose <b>New plan</b> to start planning the first job; "
     "the guide moves on by itself when you do.",
     {{"New plan", "start planning"}, {"Edit", "change a plan"}, {"Carry out", "do the job"}}},
    {"Your gang",
     "Choose who comes along, hand out the tools and pick the getaway car. Mind the room in the "
     "car. Confirm the gang to start recording.",
     {{"Accomplices", "up to three"}, {"Tools", "picklocks, crowbars"}, {"Car", "room for the loot"}}},
    {"Recording the plan",
     "Every step you take now is recorded. Pick the front door's lock with the picklock, open the "
     "locker, take the loot and walk back to the car. Then save the plan and carry it out.",
     {{"Picklock", "opens the door"}, {"Locker", "holds the loot"}, {"Save", "keep the plan"}}},
    {"The loot",
     "The job is done and the loot is counted: it has to reach the amount the job needs. Take it "
     "to the fence next.",
     {{"Loot needed", "the least share"}, {"Par time", "the time to beat"}, {"Fence", "buys loot"}}},
    {"Selling",
     "At the fence you sell the loot for cash. Cash buys better tools and pays the crew for the "
     "next job.",
     {{"Fence", "buys loot"}, {"Cash", "buys tools"}, {"Crew", "wants its share"}}},
    {"Buying tools",
     "The dealer sells tools: a better picklock opens a lock faster and more quietly. Buy one, then "
     "go back to the hideout.",
     {{"Dealer", "sells tools"}, {"Better tools", "less noise"}, {"Hideout", "the next plan"}}},
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
