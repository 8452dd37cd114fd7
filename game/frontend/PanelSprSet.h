// The 2D panels of the option, stage-select and ranking screens: picture
// cut-outs registered by id, sprites placed at pixel offsets from a panel
// origin in a render group of the scene, and the highlight of the selected
// entry.
//
// The panels were laid out in pixels of a 1920 x 1080 client, pictures at
// their texel size. They keep that look on any client: every pixel value and
// every picture size is taken in 1080ths of the client height.
#pragma once
#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace Quorvex {
class IResourceManager;
class ObjectManager;
class RenderObjectSpr2D;
}  // namespace Quorvex

class PanelSprSet {
public:
    struct Entry {
        Quorvex::RenderObjectSpr2D* sprite;  // counted
        float offsetX;
        float offsetY;
    };

    // Colours of a sprite created dim or bright, and of the highlight.
    static constexpr D3DCOLOR kDimColor = 0xCCCCCCCC;
    static constexpr D3DCOLOR kBrightColor = 0xFFFFFFFF;
    static constexpr D3DCOLOR kUnselectedColor = 0x80FFFFFF;

    // The sprites join the named render group of the object manager.
    PanelSprSet(Quorvex::ObjectManager* objects, Quorvex::IResourceManager* resources, const char* stageName);
    // Releases every sprite.
    virtual ~PanelSprSet();
    PanelSprSet(const PanelSprSet&) = delete;
    PanelSprSet& operator=(const PanelSprSet&) = delete;

    // A new sprite showing the cut-out of the id, drawn from its top-left
    // corner with blend preset 2, dim or bright, appended at the offset
    // (pixels). Null (logged) when the sprite cannot be made.
    Quorvex::RenderObjectSpr2D* AddSprite(const char* id, float offsetX, float offsetY, bool dim);
    // Every sprite to origin + its offset (pixels of the client area).
    void SetPosition(float originX, float originY);
    void HideAll();
    // A new offset for one sprite of the set, placed at once.
    void SetOffset(Quorvex::RenderObjectSpr2D* sprite, float offsetX, float offsetY);
    // The sprite shows the cut-out of another id (size and texture cell; its
    // colour and place stay). Nothing for an unknown id.
    void SetChara(Quorvex::RenderObjectSpr2D* sprite, const char* id) const;

    const std::vector<Entry>& GetEntries() const { return m_entries; }
    float GetOriginX() const { return m_originX; }
    float GetOriginY() const { return m_originY; }

    // The highlight moves: `from` turns half transparent with blend preset 2,
    // `to` bright and additive (preset 3); either may be null.
    static void MoveHighlight(Quorvex::RenderObjectSpr2D* from, Quorvex::RenderObjectSpr2D* to);
    // Panel pixels to the sprites' layout units (1.0 = client height).
    static float PixelsToLayout(float pixels);
    // The panels' origin in panel pixels: the client centre moved by
    // (dx, dy).
    static void CentreOrigin(float dx, float dy, float* x, float* y);

private:
    Quorvex::ObjectManager* m_pObjects;      // not counted
    Quorvex::IResourceManager* m_pResources;  // not counted
    std::string m_stageName;
    std::vector<Entry> m_entries;
    float m_originX = 0.0f;
    float m_originY = 0.0f;
};

// Registering picture cut-outs with the object manager's resource manager
// under an id. The cell rectangle (x, y, w, h) is in cells of 64 texels,
// drawn at its texel size times the factor and the screen scales. Both
// answer 0, or -1 (logged) when the material is not loaded.
int RegisterPanelCell(Quorvex::ObjectManager* objects, const char* id, const char* material, float scale, float x,
                      float y, float w, float h);
// A texel rectangle at its texel size times (scaleX, scaleY) and the screen
// scales.
int RegisterPanelPicture(Quorvex::ObjectManager* objects, const char* id, const char* material, float x0,
                         float y0, float x1, float y1, float scaleX, float scaleY);
// The cut-outs that the stage select and the ranking share, on
// "matStageSelect" and the two panel pictures, each id with the prefix
// ("stg" or "scr_"): the digits, "%", "+", "-", "close", "space", the
// difficulty, level and fighter labels and "start".
void RegisterSelectCells(Quorvex::ObjectManager* objects, const char* prefix);
