#pragma once
// "Update Model-List": models and objects exchanged between the world being edited
// and another world file. The other world is loaded beside the current one (the
// editor's world globals point to one of the two at a time); Export copies selected
// rows of the left list into it, Import copies rows of the right list into the
// current world. On closing the other world is written back only when something
// was exported to it.
#include "platform/ui/Ui.h"

#include <map>
#include <string>
#include <vector>

class CMacro;
class CModelEntry;
class CNode;
class CObjectNode;
class CTexture;
class CTexturePage;
class CWorldObject;

// One world's set of the editor's world globals.
struct SWorldGlobals
{
    CWorldObject* world = nullptr;
    CModelEntry* models = nullptr;
    CObjectNode* objects = nullptr;
    CMacro* macros = nullptr;
    CNode* modelsTree = nullptr;
    CNode* objectsTree = nullptr;
    CTexture* firstTexture = nullptr;
    CTexture* lastTexture = nullptr;
    CTexturePage* pages = nullptr;

    // The set the globals point at now; and pointing the globals at this set.
    static SWorldGlobals Current();
    void Install() const;
};

class UpdateModelListDlg : public platform::ui::Dialog
{
public:
    static constexpr int IDD = 330;
    static constexpr int kLeft = 1077, kRight = 1079, kExport = 1076, kImport = 1078;

    explicit UpdateModelListDlg(std::string otherWorld);
    // Closing: the other world saved when something was exported, then released.
    ~UpdateModelListDlg() override;

    bool OnInitDialog() override;
    bool OnCommand(int id) override;

    bool Loaded() const { return loaded_; }
    bool Modified() const { return modified_; }
    // The rows of a list ("%s\\%s": folder path and name; objects, then models) and
    // the selected ones (several may be).
    std::vector<std::string> Rows(int list) const;
    void SelectRows(int list, const std::vector<int>& rows);

    // Export and Import on the rows selected.
    void Export();
    void Import();

private:
    struct SRow
    {
        CObjectNode* object = nullptr;
        CModelEntry* model = nullptr;
    };
    void Fill();
    void FillList(int list, const SWorldGlobals& set, std::vector<SRow>& rows);
    // Copies the rows into the world of `to`; a name conflict is asked by `ask`
    // (1 replace, 3 skip, -1 stop). False when the user stopped it.
    bool Copy(const std::vector<SRow>& rows, const SWorldGlobals& from, SWorldGlobals& to, bool exporting);
    int AskConflict(const std::string& text, bool exporting);

    std::string path_;
    bool loaded_ = false;
    bool modified_ = false;
    SWorldGlobals current_, other_;
    std::vector<SRow> leftRows_, rightRows_;
    std::vector<int> leftSelected_, rightSelected_;
    // Import asks through the question dialog; its answer holds for the import.
    int lastAnswer_ = -1;
};

// Pages of one world and their copies in the other.
using PageCopies = std::map<CTexturePage*, CTexturePage*>;
class CRootNode;
// The texture pages that `model` (of the world `from`) shows and that are not in
// `copies` yet go through a temporary file into the installed world's page and
// texture lists, numbered after its pages; `copies` gets each new pair. False
// (the reason in `error`) when the file cannot be made or read back.
bool CopyUsedTexturePages(CRootNode* model, const SWorldGlobals& from, PageCopies& copies,
                          std::string* error = nullptr);
// The copy's materials show the copies of the source's pages.
void BindCopiedPages(CRootNode* source, CRootNode* copy, const PageCopies& copies);

// "Update Modellist...": the other world chosen, then the dialog over it.
void UpdateModelList(const std::string& otherWorld);
