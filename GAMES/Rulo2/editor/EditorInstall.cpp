#include "GAMES/Rulo2/editor/EditorInstall.h"

#include "GAMES/Rulo2/editor/ModelListDlg.h"
#include "GAMES/Rulo2/editor/import/MayaImport.h"
#include "GAMES/Rulo2/editor/import/ObjImport.h"
#include "GAMES/Rulo2/editor/import/XImport.h"
#include "GAMES/Rulo2/world/MeshShape.h"
#include "GAMES/Rulo2/world/ModelImport.h"

void InstallEditor()
{
    g_ModelImporters.loadX = LoadXFile;
    g_ModelImporters.importMayaAscii = ImportMayaAscii;
    g_ModelImporters.importObj = ImportObj;
    g_ModelImporters.showEntry = ShowNewEntry;
    g_ShapeEditCtrlDown = [] { return EditorCtrlHeld(); };
}
