#include "ArtworkWriter.h"

#include "AboutArt.h"
#include "ButtonArt.h"
#include "FaderArt.h"
#include "LogoArt.h"
#include "MeterArt.h"
#include "PanelArt.h"

#include <iostream>

ArtworkWriter::ArtworkWriter (const juce::File& resourcesFolder) : folder (resourcesFolder) {}

void ArtworkWriter::writePicture (const juce::String& name, const juce::Image& image)
{
    const auto file = folder.getChildFile (name);
    file.getParentDirectory().createDirectory();
    file.deleteFile();

    juce::FileOutputStream out (file);
    juce::PNGImageFormat png;

    if (! out.openedOk() || ! png.writeImageToStream (image, out))
    {
        std::cerr << "could not write " << file.getFullPathName() << "\n";
        ok = false;
        return;
    }

    out.flush();
    std::cout << name << "  " << image.getWidth() << " x " << image.getHeight() << "\n";
}

void ArtworkWriter::writeText (const juce::String& name, const juce::String& text)
{
    const auto file = folder.getChildFile (name);

    if (! file.replaceWithText (text, false, false, "\n"))
    {
        std::cerr << "could not write " << file.getFullPathName() << "\n";
        ok = false;
        return;
    }

    std::cout << name << "\n";
}

bool ArtworkWriter::writeAll()
{
    using State = ButtonArt::State;

    writePicture ("logo-krv.png", LogoArt::makerPicture (101, 96));
    writeText ("logo-krv.svg", LogoArt::makerSvg());
    writeText ("logo-vtqPexa.svg", LogoArt::wordmarkSvg ("PEXA", "#E6E6E5"));
    writeText ("logo-vtqSulka.svg", LogoArt::wordmarkSvg ("SULKA", "#E6E6E6"));
    writeText ("logo-vtqTrovik.svg", LogoArt::wordmarkSvg ("TROVIK", "#E6E6E6"));

    writePicture ("button-link_off.png", ButtonArt::link (State::off));
    writePicture ("button-link_offhover.png", ButtonArt::link (State::offHover));
    writePicture ("button-link_offclick.png", ButtonArt::link (State::offClick));
    writePicture ("button-link_on.png", ButtonArt::link (State::on));
    writePicture ("button-link_onclick.png", ButtonArt::link (State::onClick));
    writePicture ("button-link_onhover.png", ButtonArt::link (State::onHover));
    writePicture ("button-reset_off.png", ButtonArt::reset (State::off));
    writePicture ("button-reset_offhover.png", ButtonArt::reset (State::offHover));
    writePicture ("button-reset_offanimate1.png", ButtonArt::reset (State::offAnimate));
    writePicture ("button-reset_offclick.png", ButtonArt::reset (State::resetClick));

    writePicture ("fadercap.png", FaderArt::cap());
    writePicture ("fader_track.png", FaderArt::track());

    const MeterArt::Layout meter { 10, 816, 12, 3 }, mini { 10, 44, 4, 1 };
    writePicture ("meter_on.png", MeterArt::lit (meter));
    writePicture ("meter_off.png", MeterArt::unlit (meter, false));
    writePicture ("meter-mini_on.png", MeterArt::lit (mini));
    writePicture ("meter-mini_off.png", MeterArt::unlit (mini, true));

    writePicture ("about.png", AboutArt::picture());
    writePicture ("background_settings.png", PanelArt::settings());
    writePicture ("background_output.png", PanelArt::output());
    writePicture ("background_output_main.png", PanelArt::outputMain());

    for (auto size : { 16, 32, 48 })
        writePicture ("icons/icon-" + juce::String (size) + ".png", LogoArt::icon (size));

    return ok;
}
