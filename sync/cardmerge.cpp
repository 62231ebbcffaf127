#include "sync/cardmerge.h"

#include "party/vcardparty.h"

#include <algorithm>
#include <functional>

namespace {

// A card as the import reads it, with the property each field came from
// (indices into the raw card's properties).
struct Reading {
    FittedParty party;
    VCardSources from;
    QString notice;
    bool v4 = false;
};

Reading Read(const RawCard& raw) {
    VCard card;
    QList<int> at;
    for (int i = 0; i < raw.props.size(); ++i) {
        const VCardProperty& p = raw.props[i].parsed;
        if (p.name.isEmpty() || p.name == QLatin1String("BEGIN") || p.name == QLatin1String("END"))
            continue;
        if (p.name == QLatin1String("VERSION"))
            card.version = p.Value().trimmed();
        else {
            card.properties.append(p);
            at.append(i);
        }
    }
    Reading r;
    r.party = FitParty(RecordFromVCard(card, &r.notice, &r.from));
    r.v4 = card.version.startsWith(u'4');
    VCardSources& f = r.from;
    for (int* i : {&f.org, &f.fn, &f.n, &f.related, &f.adr, &f.phone, &f.mobile, &f.fax, &f.email,
                   &f.web, &f.note, &f.vat, &f.uid})
        if (*i >= 0) *i = at[*i];
    for (int& i : f.categories)
        i = at[i];
    return r;
}

// "item1" of "item1.TEL;type=CELL".
QString GroupOf(const RawProperty& p) {
    const QString name = PropertyHead(p).section(u';', 0, 0);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.left(dot).trimmed();
}

// The raw card being changed, read again after every change: the property
// a field comes from may move (the name's FN may become the contact's).
class CardEditor {
  public:
    explicit CardEditor(RawCard card) : card_(std::move(card)) { reading_ = Read(card_); }
    const Reading& Now() const { return reading_; }
    const RawProperty& Prop(int i) const { return card_.props[i]; }
    int Find(const char* name) const {
        for (int i = 0; i < card_.props.size(); ++i)
            if (card_.props[i].parsed.name == QLatin1String(name)) return i;
        return -1;
    }
    void Set(int i, const QString& line) {
        card_.props[i] = MakeProperty(line);
        reading_ = Read(card_);
    }
    // A property in a group goes with the group's X- properties (a phone's
    // label for it), which mean nothing without it.
    void Remove(int i) {
        const QString group = GroupOf(card_.props[i]);
        QList<int> gone{i};
        if (!group.isEmpty()) {
            for (int k = 0; k < card_.props.size(); ++k) {
                if (k == i || GroupOf(card_.props[k]).compare(group, Qt::CaseInsensitive)) continue;
                if (!card_.props[k].parsed.name.startsWith(QLatin1String("X-"))) {
                    gone = {i}; // another property of the group keeps them
                    break;
                }
                gone.append(k);
            }
        }
        std::sort(gone.begin(), gone.end(), std::greater<int>());
        for (int k : gone)
            card_.props.removeAt(k);
        reading_ = Read(card_);
    }
    // New properties go last, before END.
    void Add(const QString& line) {
        card_.props.append(MakeProperty(line));
        reading_ = Read(card_);
    }
    QByteArray Bytes() const { return JoinCard(card_); }

  private:
    RawCard card_;
    Reading reading_;
};

QString Esc(const QString& text) {
    return VCardEscape(text);
}

QString Joined(const QStringList& parts, QChar separator) {
    QStringList escaped;
    for (const QString& part : parts)
        escaped.append(Esc(part));
    return escaped.join(separator);
}

// A property with a new value: its group, name and parameters kept, but
// not the encoding of the old value (quoted-printable, a charset: the new
// one is UTF-8 text) nor the parameters in `drop`.
QString Rewritten(const RawProperty& p, const QString& value, QStringList drop = {},
                  const QString& add = {}) {
    drop << QStringLiteral("ENCODING") << QStringLiteral("CHARSET");
    return WithoutParams(PropertyHead(p), drop) + add + u':' + value;
}

void WriteName(CardEditor& e, const QString& name) {
    const VCardSources s = e.Now().from;
    const QString value = Esc(name);
    if (s.org >= 0) {
        QStringList parts = e.Prop(s.org).parsed.values;
        parts[0] = name; // a department after it stays
        e.Set(s.org, Rewritten(e.Prop(s.org), Joined(parts, u';')));
        // FN and N naming the company follow it; naming a person, they are
        // the contact and stay.
        if (s.fn >= 0 && s.fnName.compare(s.orgName, Qt::CaseInsensitive) == 0)
            e.Set(s.fn, Rewritten(e.Prop(s.fn), value));
        if (s.n >= 0 && s.nName.compare(s.orgName, Qt::CaseInsensitive) == 0)
            e.Set(s.n, Rewritten(e.Prop(s.n), value + QStringLiteral(";;;;")));
    } else if (s.fn >= 0) {
        e.Set(s.fn, Rewritten(e.Prop(s.fn), value));
    } else if (const int fn = e.Find("FN"); fn >= 0) {
        e.Set(fn, Rewritten(e.Prop(fn), value)); // an empty FN: the name came from N
    } else {
        e.Add(QStringLiteral("FN:") + value);
    }
}

// The contact is RELATED when the card has it, else (beside an ORG) the FN
// or N that names someone other than the company.
void WriteContact(CardEditor& e, const QString& contact) {
    VCardSources s = e.Now().from;
    const QString value = Esc(contact);
    if (s.related >= 0) {
        if (!contact.isEmpty()) {
            e.Set(s.related, Rewritten(e.Prop(s.related), value));
            return;
        }
        e.Remove(s.related);
        s = e.Now().from;
    }
    if (SameValue(PartyField::Contact, e.Now().party.party[PartyField::Contact], contact)) return;
    const bool hasOrg = s.org >= 0;
    const bool fnCarries =
        hasOrg && s.fn >= 0 && s.fnName.compare(s.orgName, Qt::CaseInsensitive) != 0;
    const bool nCarries =
        hasOrg && !fnCarries && s.n >= 0 && s.nName.compare(s.orgName, Qt::CaseInsensitive) != 0;
    if (contact.isEmpty()) {
        // Nothing may name a person any more: FN names the company, N no one.
        if (fnCarries) e.Set(s.fn, Rewritten(e.Prop(s.fn), Esc(s.orgName)));
        const int n = e.Now().from.n;
        if (!e.Now().party.party[PartyField::Contact].isEmpty() && n >= 0)
            e.Set(n, Rewritten(e.Prop(n), QStringLiteral(";;;;")));
        return;
    }
    if (!hasOrg || contact.compare(s.orgName, Qt::CaseInsensitive) == 0 ||
        (e.Now().v4 && !fnCarries && !nCarries))
        e.Add(QStringLiteral("RELATED;TYPE=contact;VALUE=text:") + value);
    else if (fnCarries)
        e.Set(s.fn, Rewritten(e.Prop(s.fn), value));
    else if (const int n = nCarries ? s.n : e.Find("N"); n >= 0)
        e.Set(n, Rewritten(e.Prop(n), value + QStringLiteral(";;;;")));
    else
        e.Add(QStringLiteral("N:") + value + QStringLiteral(";;;;"));
}

void WriteAddress(CardEditor& e, const PartyRecord& now, const QList<PartyField>& changed) {
    using F = PartyField;
    const int at = e.Now().from.adr;
    auto has = [&](F f) { return changed.contains(f); };
    if (at < 0) {
        QStringList street{now[F::Address], now[F::Area], now[F::LandMark]};
        while (!street.isEmpty() && street.last().isEmpty())
            street.removeLast();
        const QStringList parts{
            {}, {}, street.join(u'\n'), now[F::City], now[F::State], now[F::Pin], now[F::Country]};
        if (std::all_of(parts.cbegin(), parts.cend(), [](const QString& p) { return p.isEmpty(); }))
            return;
        e.Add((e.Now().v4 ? QStringLiteral("ADR;TYPE=work:") : QStringLiteral("ADR;TYPE=WORK:")) +
              Joined(parts, u';'));
        return;
    }
    QStringList parts = e.Prop(at).parsed.values;
    while (parts.size() < 7)
        parts.append(QString());
    if (has(F::Address) || has(F::Area) || has(F::LandMark)) {
        // The lines as the address, area and land mark were read from them:
        // a phone's extended address first, then the street's lines.
        const bool extended = !parts[1].trimmed().isEmpty();
        QStringList lines;
        if (extended) lines.append(parts[1].trimmed());
        for (const QString& l : parts[2].split(u'\n'))
            lines.append(l.trimmed());
        QStringList out{has(F::Address) ? now[F::Address] : lines.value(0),
                        has(F::Area) ? now[F::Area] : lines.value(1)};
        if (has(F::LandMark))
            out.append(now[F::LandMark]);
        else
            out += lines.mid(2);
        while (!out.isEmpty() && out.last().isEmpty())
            out.removeLast();
        parts[1] = extended && !out.value(0).isEmpty() ? out.takeFirst() : QString();
        parts[2] = out.join(u'\n');
    }
    const std::pair<F, int> rest[] = {{F::City, 3}, {F::State, 4}, {F::Pin, 5}, {F::Country, 6}};
    for (const auto& [field, index] : rest)
        if (has(field)) parts[index] = now[field];
    if (std::all_of(parts.cbegin(), parts.cend(),
                    [](const QString& p) { return p.trimmed().isEmpty(); }))
        e.Remove(at);
    else // a LABEL parameter holds the old address written out
        e.Set(at, Rewritten(e.Prop(at), Joined(parts, u';'), {QStringLiteral("LABEL")}));
}

// What a tel: URI may hold as it is; a number with blanks is written as
// text instead.
bool UriSafe(const QString& number) {
    return !number.isEmpty() && std::all_of(number.cbegin(), number.cend(), [](QChar c) {
        return (c.unicode() < 0x80 && c.isLetterOrNumber()) ||
               QStringLiteral("+-.()*#;=").contains(c);
    });
}

void WriteNumber(CardEditor& e, PartyField field, const QString& number) {
    const VCardSources& s = e.Now().from;
    const int at = field == PartyField::Phone    ? s.phone
                   : field == PartyField::Mobile ? s.mobile
                                                 : s.fax;
    if (at >= 0) {
        if (number.isEmpty()) {
            e.Remove(at);
            return;
        }
        // The TEL keeps its group (a phone's label for it) and its types.
        const RawProperty& p = e.Prop(at);
        const bool uri =
            p.parsed.Value().trimmed().startsWith(QLatin1String("tel:"), Qt::CaseInsensitive);
        if (uri && UriSafe(number))
            e.Set(at, Rewritten(p, QStringLiteral("tel:") + number));
        else
            e.Set(at, Rewritten(p, Esc(number),
                                uri ? QStringList{QStringLiteral("VALUE")} : QStringList()));
        return;
    }
    if (number.isEmpty()) return;
    const bool v4 = e.Now().v4;
    const char* type = field == PartyField::Phone    ? (v4 ? "work,voice" : "WORK,VOICE")
                       : field == PartyField::Mobile ? (v4 ? "cell" : "CELL")
                                                     : (v4 ? "fax" : "FAX");
    e.Add(QStringLiteral("TEL;TYPE=") + QLatin1String(type) + u':' + Esc(number));
}

// E-mail, web site, VAT number: one property each.
void WriteSingle(CardEditor& e, int at, const QString& value, const QString& newHead) {
    if (at >= 0 && value.isEmpty())
        e.Remove(at);
    else if (at >= 0)
        e.Set(at, Rewritten(e.Prop(at), Esc(value)));
    else if (!value.isEmpty())
        e.Add(newHead + u':' + Esc(value));
}

// The notes without the line of further numbers reading the card added:
// the card has those numbers as TELs, and its NOTE must not repeat them.
QString WithoutNumbersLine(const QString& notes, const QStringList& others) {
    const QString label = QLatin1String(kVCardOtherNumbers);
    QStringList lines = notes.split(u'\n');
    lines.removeIf([&](const QString& line) {
        const QString text = line.trimmed();
        if (!text.startsWith(label)) return false;
        const QStringList items = text.mid(label.size()).split(QLatin1String(", "));
        return std::all_of(items.cbegin(), items.cend(),
                           [&](const QString& item) { return others.contains(item); });
    });
    return lines.join(u'\n').trimmed();
}

void WriteNotes(CardEditor& e, const QString& notes, const QStringList& others) {
    const QString text = WithoutNumbersLine(notes, others);
    const int at = e.Now().from.note;
    const QString breaks =
        text.contains(QLatin1String("\r\n")) ? u';' + QLatin1String(kVCardCrLfNote) : QString();
    if (text.isEmpty()) {
        if (at >= 0) e.Remove(at);
    } else if (at >= 0) {
        e.Set(at, Rewritten(e.Prop(at), Esc(text), {QStringLiteral("X-ADRSBOOK-BREAKS")}, breaks));
    } else {
        e.Add(QStringLiteral("NOTE") + breaks + u':' + Esc(text));
    }
}

// The groups a category names, as the group master stores them.
QStringList FittedGroups(const QString& text) {
    PartyRecord r;
    r[PartyField::Groups] = text;
    return FitParty(r).groups;
}

// Categories the party keeps stay as the card spells them; those it left
// go; new ones join the first CATEGORIES.
void WriteGroups(CardEditor& e, const QString& groups) {
    const QStringList wanted = FittedGroups(groups);
    auto isWanted = [&](const QString& g) { return wanted.contains(g, Qt::CaseInsensitive); };
    QStringList kept;
    const QList<int> categories = e.Now().from.categories;
    // From the last, so that removing one leaves the others' places.
    for (qsizetype k = categories.size() - 1; k >= 0; --k) {
        const int at = categories[k];
        const QStringList items = e.Prop(at).parsed.List();
        QStringList keep;
        for (const QString& item : items) {
            const QStringList fitted = FittedGroups(item);
            if (std::all_of(fitted.cbegin(), fitted.cend(), isWanted)) {
                keep.append(item);
                kept += fitted;
            }
        }
        if (keep.size() == items.size()) continue;
        if (FittedGroups(keep.join(u';')).isEmpty())
            e.Remove(at);
        else
            e.Set(at, Rewritten(e.Prop(at), Joined(keep, u',')));
    }
    QStringList missing;
    for (const QString& g : wanted)
        if (!kept.contains(g, Qt::CaseInsensitive)) missing.append(g);
    if (missing.isEmpty()) return;
    const QList<int> left = e.Now().from.categories;
    if (left.isEmpty()) {
        e.Add(QStringLiteral("CATEGORIES:") + Joined(missing, u','));
        return;
    }
    const RawProperty& first = e.Prop(left.first());
    e.Set(left.first(), Rewritten(first, Joined(first.parsed.List() + missing, u',')));
}

} // namespace

FittedParty PartyOfCard(const QByteArray& card, QString* notice) {
    const RawCard raw = SplitCard(card);
    if (notice) notice->clear();
    if (!raw.valid) {
        FittedParty none;
        none.invalid = QStringLiteral("not a vCard");
        return none;
    }
    Reading r = Read(raw);
    if (notice) *notice = r.notice;
    return r.party;
}

QByteArray MergeIntoCard(const QByteArray& stored, const PartyRecord& was, const PartyRecord& now,
                         QList<PartyField>* readsOtherwise) {
    using F = PartyField;
    const PartyRecord want = FitParty(now).party;
    const RawCard raw = SplitCard(stored);
    QByteArray out;
    if (!raw.valid) {
        out = NewCard(want, want[F::Uid]);
    } else {
        const PartyRecord before = FitParty(was).party;
        CardEditor e(raw);
        const PartyRecord card = e.Now().party.party;
        const QStringList others = e.Now().from.others;
        // A field is written when the desk changed it and the card does not
        // have it already.
        auto changed = [&](F f) {
            return !SameValue(f, before[f], want[f]) && !SameValue(f, card[f], want[f]);
        };
        if (changed(F::Name)) WriteName(e, want[F::Name]);
        if (changed(F::Contact)) WriteContact(e, want[F::Contact]);
        QList<F> address;
        for (F f : {F::Address, F::Area, F::LandMark, F::City, F::State, F::Pin, F::Country})
            if (changed(f)) address.append(f);
        if (!address.isEmpty()) WriteAddress(e, want, address);
        for (F f : {F::Phone, F::Mobile, F::Fax})
            if (changed(f)) WriteNumber(e, f, want[f]);
        const bool v4 = e.Now().v4;
        if (changed(F::Email))
            WriteSingle(e, e.Now().from.email, want[F::Email],
                        v4 ? QStringLiteral("EMAIL;TYPE=work") : QStringLiteral("EMAIL;TYPE=WORK"));
        if (changed(F::Web)) WriteSingle(e, e.Now().from.web, want[F::Web], QStringLiteral("URL"));
        if (changed(F::Vat))
            WriteSingle(e, e.Now().from.vat, want[F::Vat], QStringLiteral("X-ADRSBOOK-VAT"));
        // After the numbers: the line of further numbers is the one the
        // desk was given, or the one the changed card gives.
        if (changed(F::Notes)) WriteNotes(e, want[F::Notes], others + e.Now().from.others);
        if (changed(F::Groups)) WriteGroups(e, want[F::Groups]);
        out = e.Bytes();
    }
    if (readsOtherwise) {
        readsOtherwise->clear();
        const PartyRecord back = PartyOfCard(out).party;
        for (int i = 0; i < kPartyFields; ++i)
            if (PartyField(i) != F::Uid && !SameValue(PartyField(i), back[F(i)], want[F(i)]))
                readsOtherwise->append(PartyField(i));
    }
    return out;
}

QByteArray NewCard(const PartyRecord& party, const QString& uid) {
    PartyRecord p = party;
    p[PartyField::Uid] = uid;
    return VCardText(p, VCardVersion::V3).toUtf8();
}
