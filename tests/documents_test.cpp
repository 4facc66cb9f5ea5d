// Driver documents carried by the executable: the timetable card, the slowdown
// order and the page of notes. Each is checked against its own frame (line
// count, row widths, fixed lines, column bars); the card is also checked
// against the train run it describes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scenario/scenario.hpp"

namespace {

constexpr std::string_view fine_tabella = "riferimento fine del file";

// A line as the line writer puts it into the file: "è" becomes the single
// byte 0xE8, so that one character is one byte and columns can be counted.
std::string in_codepage(std::string_view voce) {
    std::string out;
    for (std::size_t i = 0; i < voce.size(); ++i) {
        const auto c = static_cast<unsigned char>(voce[i]);
        if (c == 0xC3 && i + 1 < voce.size() && static_cast<unsigned char>(voce[i + 1]) == 0xA8) {
            out += '\xE8';
            ++i;
            continue;
        }
        EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "character outside printable ASCII and \"è\" in: " << voce;
        out += static_cast<char>(c);
    }
    return out;
}

// The lines that the line writer writes: every entry before the end marker.
std::vector<std::string> written_lines(std::span<const std::string_view> tabella) {
    std::vector<std::string> out;
    for (const auto voce : tabella) {
        if (voce == fine_tabella) return out;
        out.push_back(in_codepage(voce));
    }
    ADD_FAILURE() << "table without the end marker";
    return out;
}

// 1-based columns of the vertical bars of a row.
std::vector<std::size_t> bars(const std::string& riga) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < riga.size(); ++i)
        if (riga[i] == '|') out.push_back(i + 1);
    return out;
}

// The cell between the bar at 1-based column `bar` and the next bar.
std::string cell(const std::string& riga, std::size_t bar, std::size_t width) {
    return riga.substr(bar, width);
}

std::string trim(std::string_view s) {
    const auto a = s.find_first_not_of(' ');
    if (a == std::string_view::npos) return {};
    const auto b = s.find_last_not_of(' ');
    return std::string(s.substr(a, b - a + 1));
}

bool is_time(std::string_view s) {
    if (s.size() != 5 || s[2] != ':') return false;
    for (const std::size_t i : {0u, 1u, 3u, 4u})
        if (s[i] < '0' || s[i] > '9') return false;
    return (s[0] - '0') * 10 + (s[1] - '0') < 24 && s[3] < '6';
}

std::string hhmm(int h, int m) {
    std::string s = "00:00";
    s[0] = static_cast<char>('0' + h / 10);
    s[1] = static_cast<char>('0' + h % 10);
    s[3] = static_cast<char>('0' + m / 10);
    s[4] = static_cast<char>('0' + m % 10);
    return s;
}

std::vector<std::string> split_items(const std::string& riga) {
    std::vector<std::string> out;
    std::size_t from = 0;
    for (;;) {
        const auto comma = riga.find(',', from);
        out.push_back(trim(std::string_view(riga).substr(from, comma - from)));
        if (comma == std::string::npos) return out;
        from = comma + 1;
    }
}

// A station of the train run as the card must show it.
struct Station {
    std::string name;
    int position;
    int stop;  // 1 departure, 60 stop, 0 passing
    std::string time;  // "HH:MM", empty when the row carries 0:00:00
};

std::vector<Station> stations_of_run() {
    std::vector<Station> out;
    for (const auto& riga : written_lines(scenario::tabella_treno())) {
        if (!riga.starts_with("stazione")) continue;
        const auto it = split_items(riga);
        EXPECT_EQ(it.size(), 18u) << riga;
        if (it.size() != 18) continue;
        const int h = std::stoi(it[14]), m = std::stoi(it[15]), s = std::stoi(it[16]);
        out.push_back({it[17], std::stoi(it[1]), std::stoi(it[13]),
                       (h == 0 && m == 0 && s == 0) ? std::string() : hhmm(h, m)});
    }
    return out;
}

// Timetable card ----------------------------------------------------------

constexpr std::size_t card_first_row = 17;  // 1-based line numbers
constexpr std::size_t card_rows = 43;
const std::vector<std::size_t> card_bars = {2, 8, 14, 25, 31, 60, 77, 83};
const std::string card_rule =
    " |_____|_____|__________|_____|____________________________|________________|_____|";

struct CardRow {
    std::string line;
    std::string lim, marc, km, no, place, time, rec;
};

CardRow split_card_row(const std::string& riga) {
    CardRow r{riga,
              cell(riga, 2, 5),
              cell(riga, 8, 5),
              cell(riga, 14, 10),
              cell(riga, 25, 5),
              cell(riga, 31, 28),
              cell(riga, 60, 16),
              riga.size() >= 82 ? cell(riga, 77, 5) : std::string()};
    return r;
}

std::vector<CardRow> card_table() {
    const auto righe = written_lines(scenario::tabella_scheda());
    std::vector<CardRow> out;
    for (std::size_t n = card_first_row; n < card_first_row + card_rows && n <= righe.size(); ++n)
        out.push_back(split_card_row(righe[n - 1]));
    return out;
}

TEST(TimetableCard, FrameHeadingsAndTitleBlock) {
    const auto righe = written_lines(scenario::tabella_scheda());
    ASSERT_EQ(righe.size(), 75u);
    auto line = [&](std::size_t n) -> const std::string& { return righe[n - 1]; };

    for (const std::size_t n : {1u, 2u, 12u}) EXPECT_EQ(line(n), "") << "line " << n;
    for (std::size_t n = 62; n <= 75; ++n)
        EXPECT_EQ(line(n), (n == 64 || n == 75) ? " " : "") << "line " << n;

    // title block: boxes at columns 3-21 and 69-82, the text between them
    EXPECT_EQ(line(3), "  " + std::string(19, '_') + std::string(47, ' ') + std::string(14, '_'));
    for (std::size_t n = 4; n <= 6; ++n) {
        EXPECT_EQ(line(n).size(), 83u) << "line " << n;
        EXPECT_EQ(bars(line(n)), (std::vector<std::size_t>{2, 22, 68, 83})) << "line " << n;
    }
    EXPECT_NE(cell(line(4), 22, 45).find("SCHEDA"), std::string::npos);
    EXPECT_EQ(trim(cell(line(5), 2, 19)), "TRENO n.47093");
    EXPECT_EQ(trim(cell(line(5), 68, 14)), "V140 C");
    EXPECT_EQ(cell(line(6), 2, 19), std::string(19, '_'));
    EXPECT_EQ(trim(cell(line(6), 68, 14)), "100%");
    EXPECT_EQ(line(7), std::string(67, ' ') + "|" + std::string(14, '_') + "|");
    EXPECT_EQ(line(8), "  " + std::string(19, '_') + std::string(16, ' ') + std::string(19, '_'));
    EXPECT_EQ(line(9), " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ");
    EXPECT_EQ(line(10), " |    Regionale      |              |      380T         |");
    EXPECT_EQ(line(11), " |" + std::string(19, '_') + "|" + std::string(14, ' ') + "|" + std::string(19, '_') + "|");

    EXPECT_EQ(line(13), "  " + std::string(80, '_'));
    EXPECT_EQ(line(14), " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |");
    EXPECT_EQ(line(15), " | Lim.|Marc.|          |  Rs |                            |                |     |");
    EXPECT_EQ(line(16), card_rule);
    EXPECT_EQ(line(60), " |     |     |          |     |                            |                |     |");
    EXPECT_EQ(line(61), card_rule);
}

TEST(TimetableCard, RowsKeepTheColumnsAndTheirShapes) {
    const auto righe = written_lines(scenario::tabella_scheda());
    ASSERT_EQ(righe.size(), 75u);
    const auto tabella = card_table();
    ASSERT_EQ(tabella.size(), card_rows);

    // the three rows quoted on the form, as they stand
    for (const std::string quoted : {
             " |  30 |  30 |   0+800  |     | Cartello indicatore        |     12:31      |     |",
             " |     |     |   7+140  |     | COLLEGNO                   |12:40     12:41 |     |",
             " |     |     |  62+838  |     | EXILLES                    |     13:46      |     |"})
        EXPECT_NE(std::find(righe.begin(), righe.end(), quoted), righe.end()) << quoted;

    std::size_t boards = 0, ditto = 0, places = 0, shifted = 0;
    for (std::size_t k = 0; k < tabella.size(); ++k) {
        const auto& r = tabella[k];
        const bool last = k + 1 == tabella.size();
        SCOPED_TRACE(r.line);
        // widths: 83, one extra blank on the row at 67+350, 19 blanks for the
        // last cell and bar of the last row
        if (last) {
            EXPECT_EQ(r.line.size(), 96u);
            EXPECT_EQ(r.line.substr(77), std::string(19, ' '));
            EXPECT_EQ(bars(r.line), std::vector<std::size_t>(card_bars.begin(), card_bars.end() - 1));
        } else {
            const bool extra = trim(r.km) == "67+350";
            EXPECT_EQ(r.line.size(), extra ? 84u : 83u);
            if (extra) {
                EXPECT_EQ(r.line.back(), ' ');
            }
            EXPECT_EQ(bars(r.line), card_bars);
            EXPECT_EQ(r.rec, "     ");
        }
        EXPECT_EQ(r.no, "     ");

        // kilometre post: km, "+", three digits of metres, two blanks after
        const auto km = trim(r.km);
        const auto plus = km.find('+');
        ASSERT_NE(plus, std::string::npos);
        EXPECT_EQ(km.size() - plus, 4u);
        EXPECT_TRUE(r.km.ends_with(km + "  "));
        EXPECT_EQ(r.place[0], ' ');

        // time column: departure alone, arrival alone, a pair, a shifted pair,
        // or a single passing time in the middle
        const auto& t = r.time;
        if (k == 0) {
            EXPECT_EQ(t.substr(0, 10), std::string(10, ' '));
            EXPECT_TRUE(is_time(t.substr(10, 5)));
            EXPECT_EQ(t.substr(15), " ");
        } else if (last) {
            EXPECT_TRUE(is_time(t.substr(0, 5)));
            EXPECT_EQ(t.substr(5), std::string(11, ' '));
        } else if (is_time(t.substr(0, 5)) || is_time(t.substr(1, 5))) {
            const bool shift = t[0] == ' ';
            shifted += shift ? 1 : 0;
            EXPECT_TRUE(is_time(t.substr(shift ? 1 : 0, 5)));
            EXPECT_EQ(t.substr(shift ? 6 : 5, shift ? 4 : 5), std::string(shift ? 4 : 5, ' '));
            EXPECT_TRUE(is_time(t.substr(10, 5)));
            EXPECT_EQ(t.substr(15), " ");
        } else {
            EXPECT_EQ(t.substr(0, 5), "     ");
            EXPECT_TRUE(is_time(t.substr(5, 5)));
            EXPECT_EQ(t.substr(10), "      ");
        }

        // speed boards carry both speeds, right-aligned; place rows no line speed
        const auto place = trim(r.place);
        if (place == "Cartello Indicatore" || place == "Cartello indicatore" ||
            place == "'''''''' ''''''''''") {
            if (place == "'''''''' ''''''''''") {
                ++ditto;
                ASSERT_GT(k, 0u);
                EXPECT_NE(trim(tabella[k - 1].place).find("Cartello"), std::string::npos)
                    << "a ditto mark stands under a board";
            } else {
                EXPECT_EQ(place == "Cartello indicatore", boards == 0) << "only the first board is in lower case";
                ++boards;
            }
            for (const auto* v : {&r.lim, &r.marc}) {
                const auto speed = trim(*v);
                EXPECT_TRUE(v->ends_with(speed + " ")) << *v;
                const int kmh = std::stoi(speed);
                EXPECT_TRUE(kmh >= 30 && kmh <= 155 && kmh % 5 == 0) << *v;
            }
        } else {
            ++places;
            EXPECT_EQ(r.lim, "     ");
        }
    }
    EXPECT_EQ(places, 27u);
    EXPECT_EQ(boards, 14u);
    EXPECT_EQ(ditto, 2u);
    EXPECT_EQ(shifted, 2u);

    std::set<std::string> names;
    for (const auto& r : tabella) names.insert(trim(r.place));
    for (const std::string point : {"Ponte DORA RIPARIA", "Imb. galleria sud  Fr\xE8jus", "P.C Fr\xE8jus",
                                    "Confine stato"})
        EXPECT_TRUE(names.contains(point)) << point;
}

TEST(TimetableCard, TimesAreThoseOfTheTrainRun) {
    const auto righe = written_lines(scenario::tabella_scheda());
    ASSERT_EQ(righe.size(), 75u);
    const auto tabella = card_table();
    const auto stazioni = stations_of_run();
    ASSERT_GE(stazioni.size(), 2u);

    EXPECT_EQ(trim(cell(righe[4], 22, 45)), "da: " + stazioni.front().name);
    EXPECT_EQ(trim(cell(righe[5], 22, 45)), "a: " + stazioni.back().name);

    // every station of the run has its row, in the order the train meets them
    std::size_t from = 0;
    for (std::size_t s = 0; s < stazioni.size(); ++s) {
        const auto& st = stazioni[s];
        SCOPED_TRACE(st.name);
        auto it = std::find_if(tabella.begin() + static_cast<std::ptrdiff_t>(from), tabella.end(),
                               [&](const CardRow& r) { return trim(r.place) == st.name; });
        ASSERT_NE(it, tabella.end()) << "missing or out of order";
        from = static_cast<std::size_t>(it - tabella.begin()) + 1;
        const auto& t = it->time;
        if (s == 0) {
            EXPECT_EQ(st.stop, 1);
            EXPECT_EQ(t.substr(10, 5), st.time) << "departure";
        } else if (s + 1 == stazioni.size()) {
            EXPECT_EQ(t.substr(0, 5), st.time) << "arrival";
        } else if (st.time.empty()) {
            EXPECT_EQ(st.stop, 0);
            EXPECT_EQ(t.substr(0, 5), "     ") << "a passing point shows one time";
            EXPECT_TRUE(is_time(t.substr(5, 5)));
        } else {
            EXPECT_EQ(st.stop, 60);
            EXPECT_EQ(t.substr(10, 5), st.time) << "departure";
            const auto arrival = trim(t.substr(0, 10));
            EXPECT_TRUE(is_time(arrival));
            EXPECT_LT(arrival, st.time) << "arrival before departure";
        }
    }

    // the times read down the card never go back
    std::string previous = "00:00";
    for (const auto& r : tabella) {
        for (const std::size_t at : {0u, 1u, 5u, 10u}) {
            const auto t = r.time.substr(at, 5);
            if (!is_time(t)) continue;
            EXPECT_LE(previous, t) << r.line;
            previous = t;
        }
    }
}

// Slowdown order -----------------------------------------------------------

TEST(SlowdownOrder, FrameAndTheFilledRow) {
    const auto righe = written_lines(scenario::tabella_rallentamenti());
    ASSERT_EQ(righe.size(), 46u);
    auto line = [&](std::size_t n) -> const std::string& { return righe[n - 1]; };
    const std::string rule = " |___|____________________________|____________|__________|_________|____________|";
    const std::string empty_row = " |   |                            |            |          |         |            |";

    const std::vector<std::pair<std::size_t, std::string>> fixed = {
        {1, ""},
        {2, "                               Modulo M. 3"},
        {3, "                           ORDINE DI RALLENTAMENTO"},
        {4, " " + std::string(80, '_')},
        {5, "  Linea  LORVENA CASTIRO"},
        {6, ""},
        {7, "  Si ordina al macchinista del treno 47093 di effettuare i seguenti rallentamenti"},
        {8, "  " + std::string(79, '_')},
        {9, " |   |                            |Inizio dopo |          |         |            |"},
        {10, " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|"},
        {11, " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |"},
        {12, rule},
        {13, empty_row},
        {39, rule},
        {40, ""},
        {41, "              Prescrizioni specifiche"},
        {42, " A - Da rispettare con tutto il treno (per i treni viaggiatori)"},
        {43, " B - Interessa anche la stazione di......."},
        {44, " D - Rallentamneto N. ... e N. ...  sono contigui"},
        {45, " C - Da rispettare dalle ore ....  alle ore ..... di tutti"},
        {46, "     i giorni esclusi i seguenti:........."},
    };
    for (const auto& [n, text] : fixed) EXPECT_EQ(line(n), text) << "line " << n;
    for (std::size_t n = 15; n <= 38; ++n) EXPECT_EQ(line(n), empty_row) << "line " << n;

    const std::vector<std::size_t> columns = {2, 6, 35, 48, 59, 69, 82};
    for (std::size_t n = 9; n <= 39; ++n) {
        EXPECT_EQ(line(n).size(), 82u) << "line " << n;
        EXPECT_EQ(bars(line(n)), columns) << "line " << n;
    }

    // the filled row shows the run's single slowdown
    const auto& row = line(14);
    EXPECT_EQ(cell(row, 2, 3), "   ");
    EXPECT_EQ(cell(row, 35, 12), " 96+500     ");
    EXPECT_EQ(cell(row, 48, 10), "     50   ");
    EXPECT_EQ(cell(row, 59, 9), "   1+150 ");
    EXPECT_EQ(cell(row, 69, 12), std::string(12, ' '));

    std::vector<std::string> slowdowns;
    for (const auto& r : written_lines(scenario::tabella_treno()))
        if (r.starts_with("rallentamento")) slowdowns.push_back(r);
    ASSERT_EQ(slowdowns.size(), 1u);
    const auto it = split_items(slowdowns[0]);
    ASSERT_EQ(it.size(), 7u);
    const int start = std::stoi(it[1]), length = std::stoi(it[3]);
    EXPECT_EQ(trim(cell(row, 48, 10)), it[2]) << "speed";
    EXPECT_EQ(trim(cell(row, 59, 9)),
              std::to_string(length / 1000) + "+" + std::string(length % 1000 < 100 ? "0" : "") +
                  std::to_string(length % 1000))
        << "length";

    // "between the stations": the last station before the start and the first
    // after it, the second name without its "P.C " prefix when room is short
    const auto stazioni = stations_of_run();
    const auto after = std::find_if(stazioni.begin(), stazioni.end(),
                                    [&](const Station& s) { return s.position > start; });
    ASSERT_NE(after, stazioni.end());
    ASSERT_NE(after, stazioni.begin());
    const auto between = cell(row, 6, 28);
    EXPECT_EQ(between[0], ' ');
    EXPECT_TRUE(between.substr(1).starts_with(std::prev(after)->name)) << between;
    auto second = after->name;
    if (second.starts_with("P.C ")) second = second.substr(4);
    EXPECT_TRUE(trim(between).ends_with(second)) << between;
}

// Notes --------------------------------------------------------------------

TEST(Notes, NineUnwrappedLinesForTheDriver) {
    const auto righe = written_lines(scenario::tabella_note());
    ASSERT_EQ(righe.size(), 9u);

    std::size_t longest = 0;
    for (const auto& r : righe) longest = std::max(longest, r.size());
    EXPECT_EQ(longest, 128u);

    const auto stazioni = stations_of_run();
    ASSERT_GE(stazioni.size(), 2u);
    const auto& first = righe.front();
    for (const auto& part : {std::string("47093"), stazioni.front().name, stazioni.front().time,
                             stazioni.back().name, stazioni.back().time})
        EXPECT_NE(first.find(part), std::string::npos) << part;

    for (const std::string quoted :
         {"in somma due ore di divertimento ; questo treno ferma in tutte le stazioni no ferma Exilles Beaulard.",
          "e la fine del vostro viaggio .", "Allora buona guida !"})
        EXPECT_NE(std::find(righe.begin(), righe.end(), quoted), righe.end()) << quoted;
    EXPECT_EQ(righe[7], "Allora buona guida !");
    EXPECT_NE(righe.back().find('@'), std::string::npos) << "contact address last";
}

}  // namespace
