#include "demo_catalog.h"

namespace gen {

namespace {
constexpr SoundFormat M22 = SoundFormat::kMono22k;
constexpr SoundFormat S44 = SoundFormat::kStereo44k;
constexpr SoundFormat M32 = SoundFormat::kMono32k;
constexpr SoundFormat M8 = SoundFormat::kMono8k;
}  // namespace

const SongEntry kSongs[] = {
    {"Intro", "Marlow & The Tides", "Harbour Songs", "Rock", 3200, M22},
    {"Lighthouse Keeper", "Marlow & The Tides", "Harbour Songs", "Rock", 8400, S44},
    {"Salt in the Wires", "Marlow & The Tides", "Harbour Songs", "Rock", 7100, M22},
    {"Volts/Amps: Live?", "Marlow & The Tides", "Harbour Songs", "Rock", 9600, M22},
    {"Low Tide", "Marlow & The Tides", "Harbour Songs", "Rock", 6300, M32},
    {"Harbour Lights", "Marlow & The Tides", "Harbour Songs", "Rock", 10200, M22},

    {"Café Ümlaut", "Café Ümlaut", "Süße Grüße", "Pop", 6800, S44},
    {"Über den Dächern", "Café Ümlaut", "Süße Grüße", "Pop", 7400, M22},
    {"Déjà Vu (Radio Edit)", "Café Ümlaut", "Süße Grüße", "Pop", 5200, M22},
    {"Naïve Heart", "Café Ümlaut", "Süße Grüße", "Pop", 6100, M32},
    {"Crème Brûlée", "Café Ümlaut", "Süße Grüße", "Pop", 4900, M22},

    {"Intro", "MC Parallax", "Street Geometry", "Hip-Hop", 2600, M22},
    {"Angles", "MC Parallax", "Street Geometry", "Hip-Hop", 8800, M22},
    {"Say \"Yes\" <Remix>", "MC Parallax", "Street Geometry", "Hip-Hop", 7700, S44},
    {"Block Party", "MC Parallax", "Street Geometry", "Hip-Hop", 9100, M22},
    {"Either|Or", "MC Parallax", "Street Geometry", "Hip-Hop", 6600, M22},
    {"Outro.", "MC Parallax", "Street Geometry", "Hip-Hop", 3400, M22},

    {"Neon Cash", "Lil Quasar", "Midnight Tape", "hip-hop", 7300, M22},
    {"Late Bus", "Lil Quasar", "Midnight Tape", "hip-hop", 5800, M32},
    {"Back\\Slash", "Lil Quasar", "Midnight Tape", "hip-hop", 6200, M22},
    {"Tape Hiss", "Lil Quasar", "Midnight Tape", "hip-hop", 4400, M8},

    {"Take Nine", "The Blue Hour Quartet", "Smoke & Mirrors", "Jazz", 11800, S44},
    {"Smoke & Mirrors", "The Blue Hour Quartet", "Smoke & Mirrors", "Jazz", 9400, M22},
    {"Blue in the Face", "The Blue Hour Quartet", "Smoke & Mirrors", "Jazz", 8200, M22},
    {"Autumn Stairs", "The Blue Hour Quartet", "Smoke & Mirrors", "Jazz", 7600, M32},
    {"Coda*", "The Blue Hour Quartet", "Smoke & Mirrors", "Jazz", 1500, M22},

    {"I. Allegro con brio", "Orchestra da Camera Lumen", "Sinfonia No. 3", "Classical", 12400, S44},
    {"II. Adagio", "Orchestra da Camera Lumen", "Sinfonia No. 3", "Classical", 10600, M22},
    {"III. Scherzo: Presto", "Orchestra da Camera Lumen", "Sinfonia No. 3", "Classical", 5400, M22},
    {"IV. Finale \u2014 Allegro molto", "Orchestra da Camera Lumen", "Sinfonia No. 3", "Classical", 30000, M22},

    {"夜明けの歌", "星野ひかり", "夜明けの歌", "J-Pop", 7200, M22},
    {"さくら通り", "星野ひかり", "夜明けの歌", "J-Pop", 6400, M22},
    {"Tokyo Drift Line", "星野ひかり", "夜明けの歌", "J-Pop", 8000, S44},
    {"星のかけら", "星野ひかり", "夜明けの歌", "J-Pop", 5600, M32},

    {"Белые ночи", "Северный ветер", "Белые ночи", "Rock", 8600, M22},
    {"Дорога домой", "Северный ветер", "Белые ночи", "Rock", 7000, M22},
    {"Полярная звезда", "Северный ветер", "Белые ночи", "Rock", 6000, M22},

    {"Boot Sequence", "Pulse Cartography", "Grid / Offgrid", "Electronic", 5000, M22},
    {"...And Then", "Pulse Cartography", "Grid / Offgrid", "Electronic", 7800, S44},
    {"Modular Dreams", "Pulse Cartography", "Grid / Offgrid", "Electronic", 11000, M22},
    {"Sync_Error", "Pulse Cartography", "Grid / Offgrid", "Electronic", 4200, M22},
    {"Untitled", "Pulse Cartography", "Grid / Offgrid", "Electronic", 3800, M22},
    {"Untitled", "Pulse Cartography", "Grid / Offgrid", "Electronic", 4600, M32},
    {"   Leading Spaces", "Pulse Cartography", "Grid / Offgrid", "Electronic", 5200, M22},
    {"Trailing Dot...", "Pulse Cartography", "Grid / Offgrid", "Electronic", 4800, M22},

    {"Dust Road", "Dolly Mae Harper", "Dust Road Diaries", "Country", 8300, M22},
    {"Porch Light", "Dolly Mae Harper", "Dust Road Diaries", "Country", 6900, S44},
    {"Two-Step Tuesday", "Dolly Mae Harper", "Dust Road Diaries", "Country", 5700, M22},
    {"Whiskey & Rain", "Dolly Mae Harper", "Dust Road Diaries", "Country", 7500, M22},

    {"Velvet Hours", "Soulfire Revue", "Velvet Hours", "R&B/Soul", 9200, M22},
    {"Slow Burn", "Soulfire Revue", "Velvet Hours", "R&B/Soul", 8100, M32},
    {"Call Me Tonight", "Soulfire Revue", "Velvet Hours", "R&B/Soul", 6500, M22},

    {"Island Time", "Rasta Kinetic", "Island Time", "Reggae", 7900, M22},
    {"One Love Dub", "Rasta Kinetic", "Island Time", "Reggae", 8700, S44},
    {"Sunshine \u2600", "Rasta Kinetic", "Island Time", "Reggae", 5300, M22},

    {"Żółć i miód", "Ana Żółtowska", "", "Pop", 6000, M22},
    {"Canción de Otoño", "Los Vientos", "Canción de Otoño", "Latin", 7000, M22},
    {"Mañana", "Los Vientos", "Canción de Otoño", "Latin", 6200, M22},
    {"Θάλασσα", "Ελένη Σταύρου", "Θάλασσα", "World", 6600, M22},
    {"Track 01", "", "", "", 4000, M22},
    {"This Is a Deliberately Very Long Song Title That Goes On and On to See How Lists and File "
     "Names Cope With It",
     "Marlow & The Tides", "Harbour Songs", "Rock", 4400, M22},
};
const size_t kSongCount = sizeof(kSongs) / sizeof(kSongs[0]);

// Scenes by number: 0 landscape, 1 seaside, 2 city night, 3 bokeh, 4 poster,
// 5 flower.
const ClipEntry kMovies[] = {
    {"The Lighthouse at Dusk", "Ines Calloway", "The Lighthouse at Dusk", "Drama", 8000, 1, 480, 270, 25},
    {"City of Windows", "Tomasz Wren", "City of Windows", "Documentary", 6000, 2, 320, 180, 25},
    {"Bloom: A Short Film", "Ada Lindqvist", "Bloom", "Animation", 5000, 5, 320, 240, 20},
};
const size_t kMovieCount = sizeof(kMovies) / sizeof(kMovies[0]);

const ClipEntry kTvShows[] = {
    {"Episode 1: Salt & Smoke", "Coastal Kitchens", "Coastal Kitchens, Season 1", "Reality", 5000, 1, 320, 180, 25},
    {"Episode 2: The Oyster Question", "Coastal Kitchens", "Coastal Kitchens, Season 1", "Reality", 4400, 3, 320,
     180, 25},
    {"Episode 3: Harbour Feast", "Coastal Kitchens", "Coastal Kitchens, Season 1", "Reality", 4800, 0, 320, 180, 25},
    {"Pilot", "Night Shift Diaries", "Night Shift Diaries, Season 2", "Comedy", 6000, 2, 320, 180, 20},
};
const size_t kTvShowCount = sizeof(kTvShows) / sizeof(kTvShows[0]);

const TalkEntry kPodcasts[] = {
    {"#41 \u2014 Why Batteries Age", "Radio Parallax", "Signal & Noise", "Technology", 18000, true},
    {"#42 \u2014 Shipping Containers", "Radio Parallax", "Signal & Noise", "Technology", 21000, true},
    {"#43: Q&A (Live?)", "Radio Parallax", "Signal & Noise", "Technology", 15000, true},
    {"Folge 112: Wetter & Verkehr", "Studio Nord", "Morgen um Acht", "News", 12000, false},
};
const size_t kPodcastCount = sizeof(kPodcasts) / sizeof(kPodcasts[0]);

const TalkEntry kAudiobooks[] = {
    {"The Salt Road, Part 1", "Mira Okonjo", "The Salt Road", "Fiction", 24000, false},
    {"The Salt Road, Part 2", "Mira Okonjo", "The Salt Road", "Fiction", 20000, false},
    {"Kurzgeschichten für unterwegs", "Jonas Weiß", "Kurzgeschichten für unterwegs", "Short Stories", 16000, true},
};
const size_t kAudiobookCount = sizeof(kAudiobooks) / sizeof(kAudiobooks[0]);

const TalkEntry kRingtones[] = {
    {"Marimba Morning", "", "Ringtones", "Ringtone", 4000, false},
    {"Glass Bell", "", "Ringtones", "Ringtone", 3000, false},
    {"Sonar Ping", "", "Ringtones", "Ringtone", 5000, false},
    {"Old Phone (Remix)", "", "Ringtones", "Ringtone", 6000, false},
};
const size_t kRingtoneCount = sizeof(kRingtones) / sizeof(kRingtones[0]);

const MemoEntry kMemos[] = {
    {"Meeting notes", "20240311 093015", 14000, false},
    {"Guitar idea", "20240402 221847", 9000, true},
    {"", "20240517 140322", 7000, false},
    {"Grocery list", "20240520 181200", 5000, false},
    {"Interview \u2013 Frau Müller", "20240603 104455", 18000, false},
};
const size_t kMemoCount = sizeof(kMemos) / sizeof(kMemos[0]);

const BookEntry kBooks[] = {
    {"Books", "The Salt Road", "Mira Okonjo", "The Salt Road", "Fiction", "/Books/Purchases/The Salt Road.epub", 4},
    {"Books", "Tales & Legends: Vol. 1?", "Various Authors", "Tales & Legends", "Fantasy",
     "/Books/Purchases/Tales and Legends Vol 1.epub", 3},
    {"Books", "Der Leuchtturm", "Jonas Weiß", "", "Roman", "/Books/9F8E7D6C5B4A3921.EPUB", 2},
    {"PDFs", "Quarterly Report Q1 2024", "Harbour Logistics Ltd.", "", "Business",
     "/Books/Quarterly Report Q1 2024.pdf", 3},
    {"PDFs", "Field Guide to Coastal Birds", "Ada Lindqvist", "Field Guides", "Nature",
     "/Books/Purchases/Field Guide to Coastal Birds.epub", 3},
};
const size_t kBookCount = sizeof(kBooks) / sizeof(kBooks[0]);

namespace {
const int kRoadTrip[] = {1, 2, 46, 47, 48, 5, 53, 14, 38, 6};
const int kLateNight[] = {21, 22, 23, 50, 51, 39, 27, 17};
const int kFavourites[] = {6, 30, 34, 55, 58, 13, 3, 59};
}  // namespace

const PlaylistEntry kPlaylists[] = {
    {"Road Trip", kRoadTrip, sizeof(kRoadTrip) / sizeof(int)},
    {"Late Night / Chill", kLateNight, sizeof(kLateNight) / sizeof(int)},
    {"Favoriten \u2605", kFavourites, sizeof(kFavourites) / sizeof(int)},
};
const size_t kPlaylistCount = sizeof(kPlaylists) / sizeof(kPlaylists[0]);

const char* const kWordsA[] = {"Silver", "Midnight", "Electric", "Hollow", "Golden", "Paper", "Velvet",
                               "Broken", "Northern", "Crystal", "Wild", "Quiet", "Burning", "Distant",
                               "Neon", "Crimson", "Lonely", "Summer", "Frozen", "Secret"};
const size_t kWordsACount = sizeof(kWordsA) / sizeof(kWordsA[0]);
const char* const kWordsB[] = {"River", "Heart", "Highway", "Garden", "Signal", "Mirror", "Ocean", "Machine",
                               "Thunder", "Lantern", "Harbour", "Orbit", "Shadow", "Echo", "Parade",
                               "Avenue", "Satellite", "Meadow", "静かな夜", "Café"};
const size_t kWordsBCount = sizeof(kWordsB) / sizeof(kWordsB[0]);
const char* const kGenres[] = {"Rock",   "Pop",     "Jazz",  "Classical", "Electronic", "Hip-Hop", "hip-hop",
                               "Country", "R&B/Soul", "Reggae", "Latin",  "Metal",      "Folk",    "Blues",
                               "Soundtrack", "Ambient", "Punk", "World", "J-Pop", "Indie"};
const size_t kGenreCount = sizeof(kGenres) / sizeof(kGenres[0]);
const char* const kPhotoAlbums[] = {"Lake Trip 2023", "Family", "Île de Ré", "Winter Walks", "Archive"};
const size_t kPhotoAlbumCount = sizeof(kPhotoAlbums) / sizeof(kPhotoAlbums[0]);

}  // namespace gen
