#pragma once

#include "project/ProjectState.h"

// The project checks that the project file and place file harnesses share.

// A project that differs from a default one in every field the file holds and in the state
// around it (folder, current part, fiducial offsets), so that any change a load makes shows.
ProjectState SampleProject();

// What loaded saves and loads back to the same model: the project's saved text reads back to a
// project that saves to the same text. (The text holds every field the file stores, with the
// ten significant digits of its numbers; the reader gives the same model for the same text.)
void CheckSavesAndReadsBack(const ProjectState& project);
