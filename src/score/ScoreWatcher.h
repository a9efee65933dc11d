// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Who follows every change of the score from outside the view (the recovery copy). Told on
// the interface thread once a key, a command or a load has finished with the score.
namespace tabrella {

class CTabrellaView;

class IScoreWatcher {
  public:
    virtual ~IScoreWatcher() = default;
    virtual void ScoreChanged(const CTabrellaView& view) = 0;
};

}  // namespace tabrella
