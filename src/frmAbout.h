#pragma once

#include "win/Form.h"

#include <string>

// "Version 1.2.0" for 1.2.0: the word, a blank, the three numbers with dots between.
std::wstring VersionText(unsigned major, unsigned minor, unsigned revision);

// An image of the program's icon, drawn `scale` times over (each pixel a square of that side).
struct IconArt {
    int image, scale;
    int drawn() const { return image * scale; }
};
// What About draws for an icon of `size` pixels: the largest of the icon's images, or whole
// multiple of one, that fits. Never stretched by a fraction, which pixel art does not survive.
IconArt IconArtFor(int size);

struct ProgramVersion {
    unsigned major = 0, minor = 0, revision = 0;
};
// The version numbers from the program file's own version stamp.
ProgramVersion ReadProgramVersion();

// The About window: icon, title, version, description and the two contact lines.
class frmAbout : public Form {
  public:
    enum : int {
        IdVersion = 100,
        IdTitle,
        IdDescription,
        IdIcon,
        IdLabel1,
        IdLabel2,
        IdLabel3,
        IdLabel4,
        IdLabel5,
    };

  protected:
    const WindowTraits& Traits() const override;
    void CreateControls() override;
    void FitControls() override;
    void Form_Load() override;
    void OnCommand(int id, int code, HWND control) override;
    Ink LabelInk(HWND label) const override;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    void cmdOK_Click();
    void Label4_Click();
    void Label5_Click();
    void LaunchOnce(void (*launch)(HWND self));
    void DrawLine1(HDC dc) const;
    void PaintIcon(const DRAWITEMSTRUCT& item) const;

    HWND cmdOK = nullptr;
    HWND picIcon = nullptr;
    HWND lblVersion = nullptr;
    HWND lblTitle = nullptr;
    HWND lblDescription = nullptr;
    HWND Label4 = nullptr;
    HWND Label5 = nullptr;
    bool launching_ = false;
};
