// The game frame's world drawing lays its light flares with the start-up
// resources' flare picture.
#include "tests/render/DeviceFixture.h"
#include "tests/render/TextureTestRig.h"

#include "GAMES/Rulo2/app/CameraViews.h"
#include "GAMES/Rulo2/app/GameStep.h"
#include "GAMES/Rulo2/app/InstallApp.h"
#include "GAMES/Rulo2/app/Settings.h"
#include "GAMES/Rulo2/render/CGameCamera.h"
#include "GAMES/Rulo2/render/FramePasses.h"
#include "GAMES/Rulo2/render/GameResources.h"
#include "GAMES/Rulo2/render/WorldFrame.h"
#include "GAMES/Rulo2/world/WorldGlobals.h"
#include "platform/resources/Resources.h"

namespace {

class FlareTexture : public DeviceFixture
{
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        savedResources = platform::ResourceFolder();
        savedStep = StepHooks;
        savedView = CurrentView;
        savedLighting = LightingFlag;
        savedFlares = LightFlaresFlag;
        platform::SetResourceFolder(folder / "resources");
        std::filesystem::create_directories(folder / "resources" / "IMAGES");
        CreateWorldRoots();
    }
    void TearDown() override
    {
        FlareList.clear();
        FreeGameResources();
        ClearWorld();
        StepHooks = savedStep;
        CurrentView = savedView;
        LightingFlag = savedLighting;
        LightFlaresFlag = savedFlares;
        platform::SetResourceFolder(savedResources);
        DeviceFixture::TearDown();
    }

    std::filesystem::path savedResources;
    GameStepHooks savedStep;
    CCameraView* savedView = nullptr;
    uint8_t savedLighting = 0, savedFlares = 0;
};

} // namespace

TEST_F(FlareTexture, GameStepDrawsFlaresWithTheStartUpFlarePicture)
{
    // A red flare picture: a flare drawn without it would come out white.
    ASSERT_TRUE(WritePicture(folder / "resources" / "IMAGES" / "393.bmp", 16, 16,
                             std::vector<uint32_t>(16 * 16, 0xFFFF0000u)));
    ASSERT_TRUE(LoadGameResources());
    ASSERT_NE(GameResourceTexture(393), nullptr);
    ASSERT_NE(GameResourceTexture(393)->surface, nullptr);
    InstallSubsystems();
    CurrentView = &CameraViews[VIEW_GAME];
    LightingFlag = 1;
    LightFlaresFlag = 1;
    GameViewRecord.eye = CVector(0, 0, -6);
    GameViewRecord.position = CVector(0, 0, 0);
    RenderWorldFrame(nullptr, 1000); // places the camera

    DX.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    DX.device->BeginScene();
    FlareList.clear();
    FlareList.push_back({CVector(0, 0, 0), 0xFFFFFFFFu});
    SWorldFrame frame;
    DrawWorldFrame(frame);
    DX.device->EndScene();
    uint32_t c = 0;
    ASSERT_TRUE(DX.backSurface->ReadPixel(DX.screenWidth / 2, DX.screenHeight / 2, &c));
    EXPECT_GT(int((c >> 16) & 0xFF), 0x80) << std::hex << c;
    EXPECT_LT(int((c >> 8) & 0xFF), 0x20) << std::hex << c;
    EXPECT_LT(int(c & 0xFF), 0x20) << std::hex << c;
}
