#include "GAMES/Rulo2/editor/ContextMenus.h"

using platform::ui::Menu;

namespace {

struct SItem
{
    uint32_t id;
    const char* caption; // null: a separator
};

void Fill(Menu& menu, std::initializer_list<SItem> items)
{
    for (const SItem& i : items) {
        if (i.caption)
            menu.AddItem(i.id, i.caption);
        else
            menu.AddSeparator();
    }
}

void Skeletons(Menu& menu, const char* caption, uint32_t firstId)
{
    Menu& sub = menu.AddPopup(caption);
    static const char* const kNames[] = {"Skeleton #1", "Skeleton #2", "Skeleton #3", "Skeleton #4",
                                         "Skeleton #5"};
    for (uint32_t i = 0; i < 5; ++i)
        sub.AddItem(firstId + i, kNames[i]);
}

} // namespace

std::unique_ptr<Menu> LoadContextMenus()
{
    auto menu = std::make_unique<Menu>(186);
    // 0: the 3-D view's.
    Fill(menu->AddPopup("World"), {{32909, "Select Group"},
                                   {32923, "Light Properties..."},
                                   {0, nullptr},
                                   {35100, "Switch To Original"}});
    // 1 to 7: the Model List's, by what the clicked item stands for.
    Menu& model = menu->AddPopup("ModelListModel");
    Fill(model, {{32782, "Save Model..."},
                 {32803, "Replace Model..."},
                 {32875, "Copy Model"},
                 {32814, "Rename Model"},
                 {32794, "Delete Model"},
                 {0, nullptr},
                 {33009, "Make Object From Model"},
                 {0, nullptr},
                 {32945, "Inverse Normals"},
                 {32924, "Complex"},
                 {32953, "Smooth"},
                 {32943, "Influences Camera"},
                 {32944, "No Camera Check"},
                 {32985, "Anti Ground"},
                 {0, nullptr}});
    Skeletons(model, "Set As Default Skeleton", 33021);
    Skeletons(model, "Use Skeleton", 33027);
    Fill(model, {{0, nullptr},
                 {33018, "Remove All Objects Except Selection"},
                 {32920, "Splitup In/Outside"},
                 {32927, "Delete Unused Models"},
                 {32952, "Highlight Messy Models"},
                 {33007, "Highlight Damaged Models"}});
    Fill(menu->AddPopup("ModelListMakro"), {{32876, "Rename Makro"}, {32877, "Delete Makro"}});
    Fill(menu->AddPopup("ModelListMakroFolder"), {{32997, "Delete All Makros"}});
    Fill(menu->AddPopup("ModelListObjectFolder"), {{32900, "New Object..."},
                                                   {32988, "New Folder..."},
                                                   {32918, "Rename Folder"},
                                                   {32990, "Delete Folder"},
                                                   {0, nullptr},
                                                   {33008, "Delete Unused Objects"}});
    Fill(menu->AddPopup("ModelListObjects-Object"), {{32903, "Rename Object"},
                                                     {32902, "Delete Object"},
                                                     {0, nullptr},
                                                     {32904, "Add Action..."},
                                                     {32982, "Apply Actions..."}});
    Fill(menu->AddPopup("ModelListObjects-Action"), {{32906, "Rename Action"},
                                                     {32905, "Delete Action"},
                                                     {0, nullptr},
                                                     {32973, "Looping Anim"},
                                                     {32974, "One-Shot Anim"},
                                                     {32975, "Default Action"}});
    Fill(menu->AddPopup("ModelListModelFolder"), {{32917, "New Folder..."},
                                                  {32989, "Rename Folder"},
                                                  {32919, "Delete Folder"},
                                                  {0, nullptr},
                                                  {32920, "Splitup In/Outside"},
                                                  {32927, "Delete Unused Models"}});
    // 8: the World Tree's, on groups.
    Fill(menu->AddPopup("WorldView"), {{32894, "New Group..."},
                                       {32897, "Rename Group"},
                                       {32898, "Delete Group"},
                                       {0, nullptr},
                                       {32895, "Hide Group"},
                                       {32896, "Show Group"},
                                       {32986, "Updated"},
                                       {0, nullptr},
                                       {32921, "Calc ShadowMaps..."},
                                       {33013, "Delete ShadowMaps"},
                                       {32991, "Remove Invalid Paths"},
                                       {33019, "Reset Object IDs"},
                                       {33020, "Update Billboard-Colors"},
                                       {32994, "Show Bounding-Sphere"},
                                       {0, nullptr},
                                       {33015, "New Terrain..."},
                                       {33033, "Show Objects Using That Group"}});
    // 9 and 10: the Model Tree's, on a mesh in the model view and elsewhere.
    Fill(menu->AddPopup("Mesh"), {{32780, "Inverse Culling"},
                                  {32890, "Inverse Normals"},
                                  {0, nullptr},
                                  {32781, "Backface Culling On"},
                                  {32915, "Complex"},
                                  {32938, "Inside"},
                                  {32951, "Smooth"},
                                  {32886, "Light Flare"},
                                  {0, nullptr},
                                  {32783, "Show All Nodes"},
                                  {32812, "Show Locators"}});
    Fill(menu->AddPopup("ModelTree"), {{32783, "Show All Nodes"}, {32812, "Show Locators"}});
    // 11 and 12: the Task List's and the Dependency List's.
    Fill(menu->AddPopup("TaskList"), {{32958, "Add Task..."},
                                      {32960, "Edit Task..."},
                                      {32959, "Delete Task"},
                                      {0, nullptr},
                                      {32965, "Link Dependencies With Tasks"},
                                      {0, nullptr},
                                      {32966, "Show Previous Tasklist"}});
    Fill(menu->AddPopup("DependencyList"), {{32962, "Add Dependency..."},
                                            {32964, "Edit Dependency..."},
                                            {32963, "Delete Dependency"},
                                            {0, nullptr},
                                            {32969, "Make Always Active"},
                                            {0, nullptr},
                                            {32968, "Show Sub-Tasklist"}});
    // 13 to 17: the Texture Manager's, by edit mode and view, and the Texture List's.
    for (const char* name : {"TextureManagerStretch", "TextureManagerResize"})
        Fill(menu->AddPopup(name), {{32854, "Double"},
                                    {32849, "Double Vertical"},
                                    {32850, "Double Horizontal"},
                                    {32855, "Halve"},
                                    {32851, "Halve Vertical"},
                                    {32852, "Halve Horizontal"},
                                    {32856, "Original Size"},
                                    {32857, "Full Size"},
                                    {32853, "Size..."},
                                    {0, nullptr},
                                    {32846, "Remove Texture From Page"},
                                    {32922, "Show Where Used"},
                                    {32980, "Highlight Models That Use This Texture-Page"},
                                    {32979, "Highlight Models That Use This Texture"}});
    Fill(menu->AddPopup("TextureManagerFreehand"), {{32857, "Full Size"},
                                                    {0, nullptr},
                                                    {32922, "Show Where Used"},
                                                    {32980, "Highlight Models That Use This Texture-Page"},
                                                    {32979, "Highlight Models That Use This Texture"}});
    Fill(menu->AddPopup("TextureManagerUsedTexture"), {{32845, "Add Texture To Page"},
                                                       {32922, "Show Where Used"},
                                                       {32979, "Highlight Models That Use This Texture"},
                                                       {32981, "Which Texture-Pages Uses This Texture"}});
    Fill(menu->AddPopup("TextureList"), {{33014, "Update Texture"}});
    return menu;
}
