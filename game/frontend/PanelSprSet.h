// The 2D panels of the option, stage-select and ranking screens: picture
// cut-outs registered by id, sprites placed at pixel offsets from a panel
// origin in a render group of the scene, and the highlight of the selected
// entry.
//
// Offsets, sizes and the origin are pixels of the 2D layout (ScreenLayout).
// The panel picture grows, where needed, to hold every sprite of the set with
// a margin. A panel that does not fit the layout at its origin is centred on
// that axis and, when larger than the layout, drawn smaller as a whole.
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
        float width;  // of the cut-out shown, layout pixels before the panel's scale
        float height;
    };
    // A rectangle in layout pixels.
    struct Rect {
        float left, top, right, bottom;
    };

    // Space kept between the sprites and the picture's right and bottom
    // edges, and between a moved panel and the layout's edges.
    static constexpr float kPictureMargin = 32.0f;
    static constexpr float kScreenMargin = 16.0f;

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
    // As AddSprite, bright: the panel's background picture.
    Quorvex::RenderObjectSpr2D* AddPicture(const char* id, float offsetX, float offsetY);
    // Room the panel keeps for the cut-out of the id at the offset, though no
    // sprite shows it now (an entry that appears only once unlocked), so the
    // panel keeps one place.
    void Reserve(const char* id, float offsetX, float offsetY);
    // Places the panel with its origin (dx, dy) from the layout's centre, by
    // the rule above.
    void Place(float dx, float dy);
    void HideAll();
    // A new offset for one sprite of the set, placed at once.
    void SetOffset(Quorvex::RenderObjectSpr2D* sprite, float offsetX, float offsetY);
    // The sprite shows the cut-out of another id (size and texture cell; its
    // colour and place stay). Nothing for an unknown id.
    void SetChara(Quorvex::RenderObjectSpr2D* sprite, const char* id);

    const std::vector<Entry>& GetEntries() const { return m_entries; }
    Quorvex::RenderObjectSpr2D* GetPicture() const { return m_picture; }
    // The origin in layout pixels and the factor the panel is drawn at.
    float GetOriginX() const { return m_originX; }
    float GetOriginY() const { return m_originY; }
    float GetScale() const { return m_scale; }

    // The highlight moves: `from` turns half transparent with blend preset 2,
    // `to` bright and additive (preset 3); either may be null.
    static void MoveHighlight(Quorvex::RenderObjectSpr2D* from, Quorvex::RenderObjectSpr2D* to);
private:
    Entry* Find(Quorvex::RenderObjectSpr2D* sprite);
    void Include(float left, float top, float width, float height);
    // Every sprite to origin + scale x its offset, at scale x its size.
    void Apply();

    Quorvex::ObjectManager* m_pObjects;      // not counted
    Quorvex::IResourceManager* m_pResources;  // not counted
    std::string m_stageName;
    std::vector<Entry> m_entries;
    Quorvex::RenderObjectSpr2D* m_picture = nullptr;  // one of the entries
    Rect m_content{0.0f, 0.0f, 0.0f, 0.0f};  // every sprite but the picture, and the reserved room
    bool m_hasContent = false;
    float m_originX = 0.0f;
    float m_originY = 0.0f;
    float m_scale = 1.0f;
};

// Registering picture cut-outs with the object manager's resource manager
// under an id, their sizes in layout pixels for PanelSprSet. The cell
// rectangle (x, y, w, h) is in cells of 64 texels, drawn at its texel size
// times the factor and the screen scales. Both answer 0, or -1 when the
// material is not loaded.
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
