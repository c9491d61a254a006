#pragma once
// What clients sent over loopback TCP, kept as a capture file that network
// analysers read: a pcap file of raw IPv4 packets, one TCP connection per
// recorded stream, opened with its handshake and numbered so that the
// analyser reassembles what spans segments. Only the client's side carries
// data; the server's side is its handshake answer alone.
//
// Thread-safe: relays on several threads may record into one capture.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

class PcapCapture {
public:
    // One segment of client data, in the order it was recorded.
    struct Segment {
        int stream;
        std::string bytes;
    };

    // Starts a connection from 127.0.0.1:clientPort to 127.0.0.1:serverPort.
    int Open(unsigned int clientPort, unsigned int serverPort) {
        std::lock_guard<std::mutex> hold(lock);
        const int id = static_cast<int>(streams.size());
        const uint32_t clientStart = 0x10000000u * static_cast<uint32_t>(id % 15 + 1);
        streams.push_back({static_cast<uint16_t>(clientPort), static_cast<uint16_t>(serverPort), clientStart + 1,
                           kServerStart + 1, false});
        Stream& s = streams.back();
        Packet(s, true, clientStart, 0, kSyn, {});
        Packet(s, false, kServerStart, clientStart + 1, kSyn | kAck, {});
        Packet(s, true, s.next, s.ack, kAck, {});
        return id;
    }
    // Bytes the client sent on `stream`, as one or more segments.
    void Send(int stream, const std::string& bytes) {
        std::lock_guard<std::mutex> hold(lock);
        Stream& s = streams.at(static_cast<size_t>(stream));
        for (size_t at = 0; at < bytes.size(); at += kMaxSegment) {
            std::string part = bytes.substr(at, kMaxSegment);
            Packet(s, true, s.next, s.ack, kPush | kAck, part);
            s.next += static_cast<uint32_t>(part.size());
            segments.push_back({stream, std::move(part)});
        }
    }
    // The client ended its side.
    void Close(int stream) {
        std::lock_guard<std::mutex> hold(lock);
        Stream& s = streams.at(static_cast<size_t>(stream));
        if (s.closed)
            return;
        s.closed = true;
        Packet(s, true, s.next, s.ack, kFin | kAck, {});
        s.next += 1;
    }

    std::vector<Segment> Segments() const {
        std::lock_guard<std::mutex> hold(lock);
        return segments;
    }
    // The server ports the streams went to, each once.
    std::vector<unsigned int> ServerPorts() const {
        std::lock_guard<std::mutex> hold(lock);
        std::vector<unsigned int> ports;
        for (const Stream& s : streams)
            if (std::find(ports.begin(), ports.end(), s.serverPort) == ports.end())
                ports.push_back(s.serverPort);
        return ports;
    }
    bool Save(const std::string& path) const {
        std::lock_guard<std::mutex> hold(lock);
        std::string header;
        Put32(header, 0xa1b2c3d4);  // written in this machine's order, which readers detect
        Put16(header, 2);
        Put16(header, 4);
        Put32(header, 0);
        Put32(header, 0);
        Put32(header, 262144);
        Put32(header, kLinkTypeRawIp);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << header << records;
        return static_cast<bool>(out);
    }

private:
    static constexpr uint32_t kLinkTypeRawIp = 101;
    static constexpr uint32_t kServerStart = 0x7000000u;
    static constexpr size_t kMaxSegment = 16000;
    static constexpr uint8_t kFin = 0x01, kSyn = 0x02, kPush = 0x08, kAck = 0x10;

    struct Stream {
        uint16_t clientPort;
        uint16_t serverPort;
        uint32_t next;  // the client's next sequence number
        uint32_t ack;   // the server's, as the client acknowledges it
        bool closed;
    };

    static void Put16(std::string& out, uint16_t v) { out.append(reinterpret_cast<const char*>(&v), 2); }
    static void Put32(std::string& out, uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); }
    static void Net16(std::string& out, uint32_t v) {
        out.push_back(static_cast<char>((v >> 8) & 0xFF));
        out.push_back(static_cast<char>(v & 0xFF));
    }
    static void Net32(std::string& out, uint32_t v) {
        Net16(out, v >> 16);
        Net16(out, v & 0xFFFF);
    }
    // The internet checksum of `bytes` plus a running sum.
    static uint16_t Checksum(const std::string& bytes, uint32_t sum = 0) {
        for (size_t i = 0; i < bytes.size(); i += 2) {
            uint32_t word = static_cast<uint8_t>(bytes[i]) << 8;
            if (i + 1 < bytes.size())
                word |= static_cast<uint8_t>(bytes[i + 1]);
            sum += word;
        }
        while (sum >> 16)
            sum = (sum & 0xFFFF) + (sum >> 16);
        return static_cast<uint16_t>(~sum & 0xFFFF);
    }
    static void Patch16(std::string& bytes, size_t at, uint16_t v) {
        bytes[at] = static_cast<char>(v >> 8);
        bytes[at + 1] = static_cast<char>(v & 0xFF);
    }

    void Packet(const Stream& s, bool fromClient, uint32_t seq, uint32_t ack, uint8_t flags,
                const std::string& payload) {
        constexpr uint32_t loopback = 0x7F000001;
        std::string tcp;
        Net16(tcp, fromClient ? s.clientPort : s.serverPort);
        Net16(tcp, fromClient ? s.serverPort : s.clientPort);
        Net32(tcp, seq);
        Net32(tcp, ack);
        tcp.push_back(0x50);
        tcp.push_back(static_cast<char>(flags));
        Net16(tcp, 0xFFFF);
        Net32(tcp, 0);  // checksum and urgent pointer
        tcp += payload;
        // The pseudo-header: both addresses, the protocol and the length.
        const uint32_t pseudo = 2 * ((loopback >> 16) + (loopback & 0xFFFF)) + 6 + static_cast<uint32_t>(tcp.size());
        Patch16(tcp, 16, Checksum(tcp, pseudo));

        std::string ip;
        ip.push_back(0x45);
        ip.push_back(0);
        Net16(ip, static_cast<uint32_t>(20 + tcp.size()));
        Net16(ip, ++ipId);
        Net16(ip, 0x4000);
        ip.push_back(64);
        ip.push_back(6);
        Net16(ip, 0);
        Net32(ip, loopback);
        Net32(ip, loopback);
        Patch16(ip, 10, Checksum(ip));
        ip += tcp;

        const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
        Put32(records, static_cast<uint32_t>(now / 1000000));
        Put32(records, static_cast<uint32_t>(now % 1000000));
        Put32(records, static_cast<uint32_t>(ip.size()));
        Put32(records, static_cast<uint32_t>(ip.size()));
        records += ip;
    }

    mutable std::mutex lock;
    std::vector<Stream> streams;
    std::vector<Segment> segments;
    std::string records;
    uint16_t ipId = 0;
};
