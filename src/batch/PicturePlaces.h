#pragma once

// Where the pictures written into a report document went: into its
// placeholders, after its bookmark, or at the end of its body.
struct PicturePlaces {
    int placeholders = 0;
    int bookmark = 0;
    int end = 0;

    int total() const { return placeholders + bookmark + end; }
    PicturePlaces operator-(const PicturePlaces& earlier) const {
        return {placeholders - earlier.placeholders, bookmark - earlier.bookmark,
                end - earlier.end};
    }
};
