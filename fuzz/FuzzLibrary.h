#pragma once
// What the fuzzer's projects are laid with: a tile library in memory that
// holds one tile (identifier 1, a 200 x 100 paver cut in two ways) and
// nothing else, so that read tiles get a real shape and counted halves get
// real names, without a database under the fuzzer.

#include "ui/UserInterface.h"
#include "model/Collage.h"
#include "model/ElementKinds.h"
#include "model/Parts.h"
#include "model/Project.h"
#include "scene/Scene.h"
#include "model/TileLibrary.h"

#include <QByteArray>
#include <memory>

namespace vk::fuzz {

inline constexpr std::int32_t kTileId = 1;

inline const char* const kScene = R"({
  "tile": {"name": "Брусчатка", "outline": [
      {"segment": [[0,0],[200,0]]}, {"segment": [[200,0],[200,100]]},
      {"segment": [[200,100],[0,100]]}, {"segment": [[0,100],[0,0]]}],
    "parts": [
      {"name": "Поперёк", "equals": true, "cuts": [{"segment": [[100,0],[100,100]]}],
       "halves": [{"name": "левая", "rect": [[-1,-1],[101,101]]}, {"name": "правая", "rect": [[99,-1],[201,101]]}]},
      {"name": "Вдоль", "equals": false, "cuts": [{"segment": [[0,50],[200,50]]}],
       "halves": [{"name": "нижняя", "rect": [[-1,-1],[201,51]]}, {"name": "верхняя", "rect": [[-1,49],[201,101]]}]}]},
  "pattern": {"name": "Вперевязку", "placements": [{"tilePoint": [0,0], "patternPoint": [0,0], "rotation": 0}],
              "handPoints": [[200,0],[100,100]]},
  "border": [{"segment": [[0,0],[900,0]]}, {"segment": [[900,0],[900,500]]},
             {"arc": {"centre": [450,500], "start": [900,500], "sweep": 180}}, {"segment": [[0,500],[0,0]]},
             {"arc": {"centre": [450,250], "start": [550,250], "sweep": 360}},
             {"segment": [[50,50],[150,50]], "style": 2}],
  "start": [5, 5], "orientation": 30})";

// Says nothing and answers every question with its default.
class TSilentUi final : public TUserInterface {
public:
    TAnswer message(TMessageKind, const QString&, TButtons buttons) override {
        return buttons == TButtons::YesNo || buttons == TButtons::YesNoCancel ? TAnswer::No : TAnswer::Ok;
    }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override { return std::nullopt; }
};

class TFuzzLibrary final : public TTileLibrary {
public:
    TFuzzLibrary() : m_source(std::make_unique<TProject>()) {
        (void)LoadScene(QByteArray(kScene), *m_source);
        m_source->Tile()->ID = kTileId;
    }
    [[nodiscard]] TProject& Source() { return *m_source; }

    bool StoreTile(TTile&) override { return false; }
    void LoadTile(int id, TTile& tile, ViewRecord&) override {
        if (id == kTileId) {
            tile.Assign(*m_source->Tile());
        }
    }
    void StoreParts(int, TPartList&) override {}
    void LoadParts(int tileId, TPartList& parts) override {
        if (tileId == kTileId) {
            parts.CopyFrom(*m_source->TileParts());
        }
    }
    bool StorePattern(TCollage&) override { return false; }
    void LoadPattern(int, TCollage&, ViewRecord&) override {}
    void LoadView(int, ViewRecord& view) override { view.Scale = -1.0f; }
    void StoreView(int, const ViewRecord&) override {}
    std::vector<TLibraryEntry> ListTiles() override { return {{kTileId, m_source->Tile()->Name()}}; }
    std::vector<TLibraryEntry> ListPatterns(int) override { return {}; }

private:
    std::unique_ptr<TProject> m_source;
};

} // namespace vk::fuzz
