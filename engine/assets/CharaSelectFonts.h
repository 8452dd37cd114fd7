// Fonts of the character-select screens: bold Gothic faces that grow with the
// client height, each made into a font manager.
#pragma once
#include "engine/assets/FontManager.h"

namespace Quorvex {

class IObjectManager;

// The height of a font that is `heightAt720` pixels high on a client 720
// pixels high, truncated: int(clientHeight x heightAt720 / 720). Scaling the
// product keeps every client below 720 pixels from getting height 0.
int ScaledFontHeight(int clientHeight, int heightAt720);

// The shared bold font of the character-select windows and speech bubble:
// face "HGSｺﾞｼｯｸE", weight 700, 22 pixels at 720 (the environment's client
// height), outline precision, antialiased; when that cannot be made,
// FontManager::CreateFont with the same height and weight. A new manager with
// one reference (the caller's), or null when neither font can be made or
// there is no device.
FontManager* CreateSelectFont(IObjectManager* objectManager);

// Pairs of font managers on the object manager's device, the first attempt
// with outline precision and antialiased quality, then FontManager::CreateFont
// (which records height and weight):
//   CreateCharaSelectFonts:  "HGSｺﾞｼｯｸE", 22 pixels at 720, weights 700 and 700;
//   CreateCharaSelectFonts2: "ＭＳ ゴシック", 16 pixels at 720, weights 700 and 400.
// On success the slots' old managers are released and each slot holds a new
// one with one reference: 0. On failure -1 and the slots are left as they were.
int CreateCharaSelectFonts(IObjectManager* objectManager, FontManager*& first, FontManager*& second);
int CreateCharaSelectFonts2(IObjectManager* objectManager, FontManager*& first, FontManager*& second);

}  // namespace Quorvex
