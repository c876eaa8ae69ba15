// Writes resources/keywords/: lucide_keywords_<code>.json and emoji_keywords_<code>.json for every
// folder-name language, and country_flags.json. Needs resources/catalogues/emojis.txt and
// resources/lucide/ first (generate-catalogues.mjs).
// Run: (cd tools && npm ci) && node tools/generate-keywords.mjs
//
// Relevance says how telling a keyword is for its icon: 3 for the hand-written folder vocabulary
// (tools/vocabulary/folders.json, with the compounds of tools/vocabulary/compounds.json) and an emoji's own
// name as a single word, 2 for whole keywords and the vocabulary's weak words, 1 for the words of longer
// phrases and for widely shared Lucide tags. A word of the vocabulary outranks the same word found for
// another icon elsewhere: that one is lowered below the vocabulary's relevance. Phrases are split into words
// the way the program splits a folder name, since only single words are ever looked up.
import fs from 'node:fs';
import path from 'node:path';
import {
    LANGUAGES, byCodePoint, modulesDir, readJson, resourcesDir, stableJson, toolsDir, writeFile,
} from './lib.mjs';
import { expandVocabulary, readVocabularyFiles } from './vocabulary/vocabulary.mjs';
const FE0F = /\uFE0F/g;
const SKIN_TONE = /[\u{1F3FB}-\u{1F3FF}]/u;
// A Lucide tag shared by more icons than this says little about any one of them.
const COMMON_TAG_ICONS = 25;

// Words that carry no meaning of their own inside a phrase ("flag of Germany", "déclaration d'impôts").
const STOP_WORDS = {
    en: 'a an and as at by for from in into is it its my of on or our the to with your',
    fr: 'à au aux avec d de des du en et l la le les ma mes mon ou par pour sa ses son sur un une',
    it: 'a al alla alle con d da dal dalla degli dei del della delle di e gli i il in l la le lo mia mie miei mio nei nel nella o per su un una uno',
    de: 'am an auf aus das dem den der des die ein eine einer für im in mit meine mein oder und vom von zu zum zur',
    es: 'a al con de del el en la las los mi mis o para por su sus un una y',
    'pt-BR': 'a ao as com da das de do dos e em meu meus minha minhas na nas no nos o os ou para por um uma',
    ru: 'в во для и из к на о от по с со у мои мой моя',
    cs: 'a do k na o od pro s se v ve z ze moje můj',
    'zh-Hans': '',
    ja: '',
    ko: '',
};
const stopWords = Object.fromEntries(Object.entries(STOP_WORDS).map(([k, v]) => [k, new Set(v.split(' '))]));

const graphemes = new Intl.Segmenter('en', { granularity: 'grapheme' });

// A word a folder name can yield: two characters or more (the program drops shorter ones), at least
// one letter or digit.
function isUsableWord(word) {
    return [...graphemes.segment(word)].length >= 2 && /[\p{L}\p{N}]/u.test(word);
}

// Splits a keyword or phrase the way a folder name is split: at blanks, "-", "_" and "." (and at the
// punctuation CLDR phrases carry). Lower-cased as written, diacritics kept. Stop words are dropped from
// phrases, never from a keyword of one word ("it" stays a keyword of its own). An elided article
// ("l’école") also yields the word after the apostrophe. Returns the words and whether the text was a
// phrase of several words.
function words(text, language) {
    const pieces = text.toLowerCase().split(/[\s\-_.,:;!?()[\]{}"“”«»„/\\+&|]+/u).filter(isUsableWord);
    const isPhrase = pieces.length > 1;
    const out = [];
    for (const piece of pieces) {
        if (isPhrase && stopWords[language].has(piece)) continue;
        out.push(piece);
        const elided = piece.split(/['’]/).pop();
        if (elided !== piece && isUsableWord(elided) && !stopWords[language].has(elided)) out.push(elided);
    }
    return { words: out, isPhrase: isPhrase && out.length > 1 };
}

// Adds a keyword or phrase to table[key]: a keyword of one word at `whole`, the words of a phrase at
// `part`. A keyword keeps the highest relevance it is given.
function addPhrase(table, key, text, language, whole, part) {
    const split = words(text, language);
    if (split.words.length === 0) return;
    const relevance = split.isPhrase ? part : whole;
    const entry = (table[key] ??= {});
    for (const word of split.words) entry[word] = Math.max(entry[word] ?? 0, relevance);
}

function emojiCatalogue() {
    const text = fs.readFileSync(path.join(resourcesDir, 'catalogues', 'emojis.txt'), 'utf8');
    const emoji = new Set();
    for (const line of text.split('\n')) {
        if (line.startsWith('#') || !line.includes(';') || !line.includes('#')) continue;
        emoji.add(line.slice(line.indexOf('#') + 1).trim().split(' ')[0]);
    }
    return emoji;
}

// The catalogue's fully-qualified form of an emoji written with or without its variation selectors.
function qualifier(catalogue) {
    const byBare = new Map();
    for (const e of catalogue) byBare.set(e.replace(FE0F, ''), e);
    return (e) => (catalogue.has(e) ? e : byBare.get(e.replace(FE0F, '')));
}

function cldrAnnotations(locale) {
    const full = readJson(path.join(modulesDir, 'cldr-annotations-full', 'annotations', locale, 'annotations.json'));
    const derived = readJson(
        path.join(modulesDir, 'cldr-annotations-derived-full', 'annotationsDerived', locale, 'annotations.json'));
    return { ...derived.annotationsDerived.annotations, ...full.annotations.annotations };
}

function lucideNames() {
    return new Set(
        fs.readdirSync(path.join(resourcesDir, 'lucide')).filter((f) => f.endsWith('.svg')).map((f) => f.slice(0, -4)));
}

// English keywords from Lucide's own tags.
function lucideEnglish(names) {
    const tags = readJson(path.join(modulesDir, 'lucide-static', 'tags.json'));
    const iconsPerWord = new Map();
    for (const list of Object.values(tags)) {
        for (const word of new Set(list.flatMap((tag) => words(tag, 'en').words)))
            iconsPerWord.set(word, (iconsPerWord.get(word) ?? 0) + 1);
    }
    const table = {};
    for (const [name, list] of Object.entries(tags)) {
        if (!names.has(name)) continue;
        for (const tag of list) addPhrase(table, name, tag, 'en', 2, 1);
        for (const [word, relevance] of Object.entries(table[name] ?? {}))
            if (relevance > 1 && iconsPerWord.get(word) > COMMON_TAG_ICONS) table[name][word] = 1;
    }
    return table;
}

// Lucide icon name -> [emoji, relevance] for emoji of the same English name ("rocket"), or, second best,
// of a two-word name ending in it ("file folder" for "folder").
function lucideEmojiBridge(names, english) {
    const exact = new Map();
    const lastWord = new Map();
    for (const [emoji, entry] of Object.entries(english).sort(([a], [b]) => byCodePoint(a, b))) {
        if (!entry.tts || SKIN_TONE.test(emoji)) continue;
        const name = entry.tts[0].toLowerCase();
        if (!exact.has(name)) exact.set(name, emoji);
        const parts = name.split(' ');
        if (parts.length === 2 && !lastWord.has(parts[1])) lastWord.set(parts[1], emoji);
    }
    const bridge = new Map();
    for (const name of names) {
        const spaced = name.replaceAll('-', ' ');
        if (exact.has(spaced)) bridge.set(name, [exact.get(spaced), 2]);
        else if (lastWord.has(spaced)) bridge.set(name, [lastWord.get(spaced), 1]);
    }
    return bridge;
}

// Emoji keywords of one language: the emoji's name (tts) and its CLDR keywords.
function emojiKeywords(annotations, language, qualify) {
    const table = {};
    for (const [cldrEmoji, entry] of Object.entries(annotations)) {
        const emoji = qualify(cldrEmoji);
        if (!emoji || SKIN_TONE.test(emoji)) continue;
        for (const name of entry.tts ?? []) addPhrase(table, emoji, name, language, 3, 2);
        for (const keyword of entry.default ?? []) addPhrase(table, emoji, keyword, language, 2, 1);
    }
    return table;
}

// Merges the folder vocabulary, each word at its own relevance.
function mergeVocabulary(vocabulary, language, lucide, emoji, names, qualify, warnings) {
    for (const concept of vocabulary.concepts) {
        const list = vocabulary.expanded.get(concept.concept)[language];
        if (names.has(concept.lucide)) {
            for (const { word, relevance } of list) addPhrase(lucide, concept.lucide, word, language, relevance, relevance);
        } else {
            warnings.add(`concept "${concept.concept}": no Lucide icon "${concept.lucide}"`);
        }
        if (!concept.emoji) continue;
        const qualified = qualify(concept.emoji);
        if (qualified) for (const { word, relevance } of list) addPhrase(emoji, qualified, word, language, relevance, relevance);
        else warnings.add(`concept "${concept.concept}": emoji ${concept.emoji} is not in the catalogue`);
    }
}

// Folded vocabulary word -> { lucide, emoji, relevance } of the concept that claims it, in any language.
function vocabularyOwners(vocabulary, qualify) {
    const owners = new Map();
    for (const concept of vocabulary.concepts) {
        const emoji = concept.emoji ? qualify(concept.emoji) : undefined;
        for (const list of Object.values(vocabulary.expanded.get(concept.concept))) {
            for (const { word, relevance } of list) {
                const key = normalisedName(word);
                const known = owners.get(key);
                if (!known || known.relevance < relevance) owners.set(key, { lucide: concept.lucide, emoji, relevance });
            }
        }
    }
    return owners;
}

// Lowers a keyword that the vocabulary gives to another icon below the vocabulary's relevance, so that the
// hand-written meaning wins over a chance match of the same word.
function yieldToVocabulary(table, owners, ownerOf) {
    for (const [icon, keywords] of Object.entries(table)) {
        for (const [keyword, relevance] of Object.entries(keywords)) {
            const owner = owners.get(normalisedName(keyword));
            if (owner && ownerOf(owner) !== icon && relevance >= owner.relevance) keywords[keyword] = owner.relevance - 1;
        }
    }
}

function keywordFiles(catalogue, qualify, vocabulary, warnings) {
    const names = lucideNames();
    const english = cldrAnnotations('en');
    const bridge = lucideEmojiBridge(names, english);
    const counts = [];
    for (const [code, locale] of LANGUAGES) {
        const annotations = code === 'en' ? english : cldrAnnotations(locale);
        const emoji = emojiKeywords(annotations, code, qualify);
        const lucide = code === 'en' ? lucideEnglish(names) : {};
        for (const [name, [bridged, relevance]] of bridge) {
            const entry = annotations[bridged];
            if (!entry) continue;
            for (const phrase of [...(entry.tts ?? []), ...(entry.default ?? [])])
                addPhrase(lucide, name, phrase, code, relevance, 1);
        }
        mergeVocabulary(vocabulary, code, lucide, emoji, names, qualify, warnings);
        yieldToVocabulary(lucide, vocabulary.owners, (owner) => owner.lucide);
        yieldToVocabulary(emoji, vocabulary.owners, (owner) => owner.emoji);
        writeFile(`keywords/lucide_keywords_${code}.json`, stableJson(lucide));
        writeFile(`keywords/emoji_keywords_${code}.json`, stableJson(emoji));
        const keywordCount = (t) => Object.values(t).reduce((n, e) => n + Object.keys(e).length, 0);
        counts.push(`${code}: lucide ${Object.keys(lucide).length} icons / ${keywordCount(lucide)} keywords, ` +
                    `emoji ${Object.keys(emoji).length} emoji / ${keywordCount(emoji)} keywords`);
    }
    return counts;
}

// Country and territory names that must not force a folder to a flag (everyday words, file types).
const FLAG_DENY_LIST = new Set(
    fs.readFileSync(path.join(toolsDir, 'country-flag-deny-list.txt'), 'utf8')
        .split('\n').map((l) => l.split('#')[0].trim()).filter(Boolean));

function normalisedName(name) {
    return name.toLowerCase().normalize('NFD').replace(/\p{M}/gu, '').trim();
}

function regionOfFlag(emoji) {
    const points = [...emoji].map((c) => c.codePointAt(0));
    if (points.length !== 2 || points.some((p) => p < 0x1f1e6 || p > 0x1f1ff)) return undefined;
    return points.map((p) => String.fromCharCode(p - 0x1f1e6 + 65)).join('');
}

function territories(locale) {
    const file = path.join(modulesDir, 'cldr-localenames-full', 'main', locale, 'territories.json');
    return readJson(file).main[locale].localeDisplayNames.territories;
}

// Names of the regional flags (England, Scotland, Wales), which are no territories: the part after
// the colon of the flag's CLDR name ("Flagge: Schottland").
function subdivisionNames(annotations, emoji) {
    const tts = annotations[emoji]?.tts?.[0];
    return tts?.includes(':') ? [tts.slice(tts.indexOf(':') + 1)] : [];
}

function countryFlags(catalogue) {
    const flags = {};
    const perLocale = LANGUAGES.map(([, locale]) => [territories(locale), cldrAnnotations(locale)]);
    for (const emoji of [...catalogue].sort(byCodePoint)) {
        const region = regionOfFlag(emoji);
        const isSubdivision = emoji.startsWith('\u{1F3F4}') && [...emoji].length > 2;
        if (!region && !isSubdivision) continue;
        const names = new Map();
        for (const [territoryNames, annotations] of perLocale) {
            const localNames = region
                ? Object.entries(territoryNames).filter(([k]) => k === region || k.startsWith(region + '-alt-'))
                      .map(([, v]) => v)
                : subdivisionNames(annotations, emoji);
            for (const name of localNames) {
                const trimmed = name.trim();
                const key = normalisedName(trimmed);
                if (key && !FLAG_DENY_LIST.has(key) && !names.has(key)) names.set(key, trimmed);
            }
        }
        if (names.size) flags[emoji] = [...names.values()].sort(byCodePoint);
    }
    writeFile('keywords/country_flags.json', stableJson(flags));
    return `${Object.keys(flags).length} flags, ${Object.values(flags).flat().length} names`;
}

fs.copyFileSync(path.join(modulesDir, 'cldr-annotations-full', 'LICENSE'),
                path.join(resourcesDir, 'licenses', 'cldr-unicode-license-v3.txt'));
const catalogue = emojiCatalogue();
const qualify = qualifier(catalogue);
const vocabulary = readVocabularyFiles();
vocabulary.expanded = expandVocabulary(vocabulary, LANGUAGES.map(([code]) => code));
vocabulary.owners = vocabularyOwners(vocabulary, qualify);
const warnings = new Set();
for (const line of keywordFiles(catalogue, qualify, vocabulary, warnings)) console.log(line);
console.log(`vocabulary: ${vocabulary.concepts.length} concepts, ${vocabulary.owners.size} words`);
console.log(`country_flags: ${countryFlags(catalogue)}`);
for (const warning of [...warnings].sort(byCodePoint)) console.warn(`warning: ${warning}`);
