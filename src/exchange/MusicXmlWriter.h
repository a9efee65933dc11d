// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// MusicXML 4.0, partwise: one part "Koto" on a treble staff, written with pugixml; the
// compressed form (.mxl) zipped with libzip.
#include <optional>
#include <string>

#include "platform/Notation.h"

namespace tabrella::exchange {

// The uncompressed document (UTF-8).
std::string MusicXmlDocument(const platform::NotationScore& score);

// A compressed MusicXML file holding `document`; nothing when the archive could not be made.
std::optional<std::string> MxlArchive(const std::string& document);

class MusicXmlWriter final : public platform::INotationWriter {
  public:
    std::optional<std::string> MusicXml(const platform::NotationScore& score,
                                        bool compressed) override;
};

}  // namespace tabrella::exchange
