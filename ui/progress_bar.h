// The progress bar's fill, in twips from the inside corner of the bar's sunken
// frame. The fill starts left of and above that corner, and the frame clips
// it: at its resting width it ends at the corner and shows nothing.
#pragma once

namespace varnelle::progress_bar {

inline constexpr int FillLeftTwips = -285;
inline constexpr int FillTopTwips = -15;
inline constexpr int FillHeightTwips = 300;
inline constexpr int RestingWidthTwips = 290;
// During a run the fill is this wide at the start, and widens by the frame's
// whole width as the run goes to its end.
inline constexpr int RunStartWidthTwips = 300;

}  // namespace varnelle::progress_bar
