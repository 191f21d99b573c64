#pragma once

#include "engine/Vehicle.h"

#include <cstddef>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace tarlo {

class CSettings;

// Traffic file format codes as the project stores them.
enum TrafficFileFormat : int { FORMAT_SAFT = 100, FORMAT_CASTOR = 101, FORMAT_KIRRO = 102 };

// Reads or writes one traffic file, one fixed-column record per vehicle. A handler is used
// either for reading or for writing; the stream in use gets one large buffer so that the
// file is read in a single forward pass and never held in memory.
class FileHandler {
public:
    virtual ~FileHandler();
    FileHandler(const FileHandler&) = delete;
    FileHandler& operator=(const FileHandler&) = delete;

    // Appends the vehicle's record and a CR LF line end; a no-op without an output file.
    virtual void writeVehicle(const Vehicle& vehicle);
    // Reads the next line into `line`; returns the vehicle parsed from it, or none.
    virtual std::unique_ptr<Vehicle> readVehicle(std::string& line);

    // The read-ahead block taken once at simulation start (up to ten vehicles).
    std::vector<std::unique_ptr<Vehicle>> readFirstBlock();
    // The next vehicle within the lane limit, or none; sets endOfFile at the end of input.
    // A vehicle read from a last line without line end comes with endOfFile already set.
    std::unique_ptr<Vehicle> readNextVehicle(bool& endOfFile);

    // Lines in the input file, a last line without line end included. An input that cannot
    // be rewound has its lines counted as they are read: until its end, only those so far.
    unsigned getNoLines() const { return m_bLinesCounted ? m_NoLines : m_NoRead; }
    unsigned getNoRead() const { return m_NoRead; }
    // False for an input read in one pass (a pipe, a FIFO, standard input), whose lines
    // could not be counted when it was opened.
    bool lineCountKnown() const { return m_bLinesCounted; }
    // True once reading met an error (a device error): the input ended early, and what was
    // read is not the whole file.
    bool readFailed() const { return m_bReadFailed; }
    int formatCode() const { return m_Format; }
    bool inputOpen() const { return m_In.is_open(); }
    bool outputOpen() const { return m_Out.is_open(); }
    // Flushes and closes the output; false when there was none or a write failed (a full
    // disk), so that a command can tell a complete file from a truncated one.
    bool finishOutput() {
        if (!m_Out.is_open())
            return false;
        m_Out.close();
        return !m_Out.fail();
    }

    // Parses one record (without line end) into a vehicle; false when the line is not a
    // record of the format.
    virtual bool parseRecord(const std::string& line, Vehicle& vehicle) const = 0;
    // The record of a vehicle, without line end.
    virtual std::string formatRecord(const Vehicle& vehicle) const = 0;

protected:
    // laneLimit: highest lane number kept when reading (0xFFFFFFFF: read nothing).
    // Either file name may be empty; that stream then stays closed.
    FileHandler(int format, const CSettings& settings, unsigned laneLimit,
                const std::string& inFile, const std::string& outFile);

    // Fixed-column fields of one line, converted like atoi. A field cut by the line end
    // takes the characters that are there, one starting at the line end reads 0, and one
    // starting beyond it marks the line as failed.
    class FieldReader {
    public:
        explicit FieldReader(const std::string& line) : m_Data(line.data()), m_Size(line.size()) {}

        int operator()(std::size_t column, std::size_t width) {
            if (column > m_Size) {
                m_Ok = false;
                return 0;
            }
            const char* p = m_Data + column;
            const char* end = m_Data + (width < m_Size - column ? column + width : m_Size);
            while (p != end && isSpace(*p))
                ++p;
            bool negative = false;
            if (p != end && (*p == '+' || *p == '-'))
                negative = *p++ == '-';
            int value = 0;
            for (; p != end && *p >= '0' && *p <= '9'; ++p)
                value = value * 10 + (*p - '0');
            return negative ? -value : value;
        }

        bool ok() const { return m_Ok; }

    private:
        static bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

        const char* m_Data;
        std::size_t m_Size;
        bool m_Ok = true;
    };

    // Appends numbers right-aligned in their widths; a wider number is written in full.
    class RecordWriter {
    public:
        RecordWriter(std::string& out, char pad) : m_Out(out), m_Pad(pad) {}
        void operator()(long long value, int width);

    private:
        std::string& m_Out;
        char m_Pad;
    };

    // Integer part of x + 0.5; 0 for a value that is not a finite number in range.
    static long long nearest(double x);
    // The axle of a slot, or a zeroed axle beyond the vehicle's list.
    static Axle axleAt(const Vehicle& vehicle, unsigned slot);
    // The seven two-digit time stamp fields (day, month, year, hour, minute, second,
    // hundredths) from the given column on.
    static void readTimeStamp(FieldReader& field, std::size_t column, Vehicle& vehicle);
    static void writeTimeStamp(RecordWriter& write, const Vehicle& vehicle);
    // Axle positions from the spacings: the first axle at 0, each next one a spacing on.
    static void placeAxles(Vehicle& vehicle);

private:
    // Opens the input and, when it can be rewound, counts its lines in one chunked pass and
    // rewinds it.
    void openInput(const std::string& inFile);
    // Counts the lines to the end of the input; false on a read error.
    bool countLines();
    // Reads the next line into `line` without its line end, keeping at most m_LineLimit
    // characters and skipping the rest of a longer line, so that memory stays bounded
    // whatever the input. False when there is no line or reading met an error.
    bool readLine(std::string& line);

    static constexpr unsigned m_BlockSize = 10;
    // More than any record holds: the furthest column a reader looks at is that of a Kirro
    // record of 99 axles, 629 characters. A line kept to this length reads as in full.
    static constexpr std::size_t m_LineLimit = 1024;

    int m_Format;
    unsigned m_LaneLimit;
    unsigned m_NoLines = 0;
    unsigned m_NoRead = 0;
    bool m_bLinesCounted = false;
    bool m_bReadFailed = false;
    // Declared before the streams so that it outlives them.
    std::unique_ptr<char[]> m_pBuffer;
    std::ifstream m_In;
    std::ofstream m_Out;
    // Reused for every line read, so that reading allocates no line strings.
    std::string m_Line;
    // The characters of the line being read, and room for the end of the text.
    char m_LineChars[m_LineLimit + 1];
    // Every vehicle read starts as a copy of this one, built from the settings.
    Vehicle m_Prototype;
};

// The handler of a format code; null for an unknown code.
std::unique_ptr<FileHandler> makeFileHandler(int format, const CSettings& settings,
                                             unsigned laneLimit, const std::string& inFile,
                                             const std::string& outFile);

} // namespace tarlo
