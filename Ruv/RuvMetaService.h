#pragma once
// RuvMetaService: the account's side of the meta service (SNAC family
// 0x15). It keeps the search request the search pages fill and sends a
// search by number, by e-mail or by white-pages criteria; it passes every
// hit on as a search result on a temporary contact and ends the search
// with an empty result on the last hit or on the service's error. It
// delivers the stored messages the service hands over and has them deleted
// after the last, and gives the details replies to RuvDetails.
//
// Owns the search request; runs on the account's queue thread.

#include "ProtocolRecords.h"
#include "RuvContactListPorts.h"
#include "RuvDetails.h"
#include "RuvMetaPackets.h"
#include "RuvPacketSink.h"

#include <functional>
#include <optional>

class RuvMetaService {
public:
    struct Ports {
        std::function<CYolString()> ownLogin;
        // As RuvMessages::Deliver.
        std::function<void(const CYolString& sender, unsigned int kind, int image, const CYolString& text)> deliver;
        // A found user; null ends the search.
        std::function<void(const Protocols::UserInfo*)> searchResult;
        std::function<CYolString(int id)> uiString;
        // The id of the plug-in's image `index`.
        std::function<unsigned int(int index)> imageId;
    };
    RuvMetaService(RuvPacketSink& sink, RuvListModel& model, RuvDetails& details, Ports ports)
        : sink(sink), model(model), details(details), ports(std::move(ports)) {}

    TSearchRequest& SearchRequest() { return request; }
    // The search pages' index (0 by number, 1 by e-mail, 2 and 3 white
    // pages; any other keeps the kind), then the search.
    void StartSearch(int page);
    // Sends the search the request describes. A search with nothing to
    // look for, or one that could not be sent, ends at once with an empty
    // result.
    void StartUserSearch();

    // The connection ended: a search under way gets no more hits, so it
    // ends here.
    void ConnectionEnded() {
        if (searchRequestId)
            EndSearch();
    }

    // --- what the server sends (whole frames) ---
    void OnError(const uint8_t* frame, size_t size);
    void OnReply(const uint8_t* frame, size_t size);

    // Images of a hit by its status: offline, online, and unknown.
    static constexpr int kImageOffline = 0;
    static constexpr int kImageOnline = 3;
    static constexpr int kImageNotInList = 18;

private:
    void OnStoredMessage(const uint8_t* frame, size_t size);
    void OnSearchHit(const class CSnacSearchResult& hit);
    void EndSearch() {
        searchRequestId.reset();
        ports.searchResult(nullptr);
    }

    RuvPacketSink& sink;
    RuvListModel& model;
    RuvDetails& details;
    Ports ports;
    TSearchRequest request;
    // The SNAC request id of the search under way, whose error ends it
    // whatever its code.
    std::optional<uint32_t> searchRequestId;
};
