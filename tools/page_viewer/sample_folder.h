// The sample page folder of the page viewer: "index.iml" with every kind of element (push, default, check box,
// radio and image buttons, an image, titled borders with a bevel, dotted lines and a chipped corner, a frame
// showing a second file, a pop-up menu, a styled read-only text box with links, and editable boxes) in two
// sections over a tiled picture, and the pictures it names, drawn by the scenario writer.
#pragma once

#include <filesystem>
#include <string>

// Writes the folder (made as needed). False, with a reason, when it cannot.
bool WriteSamplePages(const std::filesystem::path& folder, std::string* error);
