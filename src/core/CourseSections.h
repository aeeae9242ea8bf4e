#pragma once

#include <QString>
#include <array>

// The sections a course may have, by id. The viewer probes and shows them; the collection editor
// names them in its second column.

// The tasks section: only its items can be run.
inline constexpr int TasksSection = 2010;

// The sections of a course in the order they are probed; the first available one is where a
// course opens.
inline constexpr std::array<int, 7> SectionProbeOrder = {5, 7, 8, 12, 68, 2010, 30};

// The caption of a section; empty for section 30 and for unknown ids.
QString SectionCaption(int sectionId);
