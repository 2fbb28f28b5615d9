// varek-tool <group> ...: each group is a function in cmd_<group>.cpp that
// gets the arguments from the group name on (argv[0] is the group name)
// and returns the exit code: 0 done, 1 failed with a message on stderr (2 where
// a group says so).

#include <cstdio>
#include <cstring>

#include "GAMES/Rulo2/world/InstallWorld.h"

int cmd_pack(int argc, char** argv);
int cmd_unpack(int argc, char** argv);
int cmd_model(int argc, char** argv);
int cmd_image(int argc, char** argv);
int cmd_world(int argc, char** argv);
int cmd_texpage(int argc, char** argv);
int cmd_view(int argc, char** argv);
int cmd_sounds(int argc, char** argv);
int cmd_tasks(int argc, char** argv);
int cmd_dialogs(int argc, char** argv);
int cmd_encode_dialogs(int argc, char** argv);
int cmd_rules(int argc, char** argv);
int cmd_page(int argc, char** argv);
int cmd_game(int argc, char** argv);
int cmd_plan(int argc, char** argv);

namespace {

struct Group
{
    const char* name;
    int (*run)(int argc, char** argv);
    const char* usage;
};

const Group kGroups[] = {
    {"pack", cmd_pack, "pack IN OUT        pack a file with the program's packer"},
    {"unpack", cmd_unpack, "unpack IN OUT      unpack a packed file"},
    {"image", cmd_image, "image info FILE | image convert IN OUT [FORMAT]   show or convert a picture"},
    {"model", cmd_model,
     "model dump FILE | model roundtrip IN OUT | model import IN OUT.tmf   show, re-save or import a "
     "model"},
    {"world", cmd_world,
     "world dump FILE | world logic FILE | world streets FILE | world roundtrip IN OUT   show a world file, "
     "its objects' behaviour, its street network, or re-save it"},
    {"texpage", cmd_texpage, "texpage dump FILE  show the texture pages of a world file"},
    {"sounds", cmd_sounds, "sounds check [FILE]   read a sound definition file and check its WAV files"},
    {"tasks", cmd_tasks, "tasks dump FILE    show the task list of a file holding a \"TALI\" chunk"},
    {"dialogs", cmd_dialogs, "dialogs dump FILE  show the entries of a plain or encoded dialog text file"},
    {"encode-dialogs", cmd_encode_dialogs,
     "encode-dialogs FOLDER   encode the four dialog text files under FOLDER\\data"},
    {"rules", cmd_rules, "rules FILE         show a terrain rule file as read and as written back"},
    {"page", cmd_page, "page render PAGE OUT [WIDTH [HEIGHT]]   paint a tutorial page into a picture"},
    {"game", cmd_game,
     "game dump FILE [--world WORLD] | game roundtrip IN OUT [--world WORLD]   show or re-save a saved game"},
    {"plan", cmd_plan,
     "plan dump FILE [--world WORLD] | plan roundtrip IN OUT [--world WORLD [--game GAME]]   show or re-save "
     "a "
     "plan"},
    {"view", cmd_view,
     "view FILE [--frames N] [--snapshot OUT.bmp] [--input SCRIPT] | world view ...   draw N frames "
     "(1 unless given, or to the script's last frame) off-screen; the script's mouse and Space steer the "
     "camera"},
};

int usage()
{
    std::fprintf(stderr, "usage: varek-tool <group> ...\n");
    for (const Group& g : kGroups)
        std::fprintf(stderr, "  varek-tool %s\n", g.usage);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    // Without a device the world file's texture pages are kept as their bytes.
    InstallWorld();
    // "world view" is the view group under the world group's name.
    if (argc > 2 && std::strcmp(argv[1], "world") == 0 && std::strcmp(argv[2], "view") == 0)
        return cmd_view(argc - 2, argv + 2);
    for (const Group& g : kGroups) {
        if (std::strcmp(argv[1], g.name) == 0)
            return g.run(argc - 1, argv + 1);
    }
    std::fprintf(stderr, "varek-tool: unknown group '%s'\n", argv[1]);
    return usage();
}
