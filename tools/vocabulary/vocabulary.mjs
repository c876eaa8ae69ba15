// The folder vocabulary as the keyword files get it: the hand-written words of folders.json (relevance 3,
// its "weak" words 2) and the compounds that the rules of compounds.json build from modifiers and heads.

import { existsSync, readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

export const here = dirname(fileURLToPath(import.meta.url));
export const STRONG = 3;
export const WEAK = 2;

export function readVocabularyFiles(dir = here) {
    const read = (name, fallback) => (existsSync(join(dir, name)) ? JSON.parse(readFileSync(join(dir, name), 'utf8')) : fallback);
    return { concepts: read('folders.json', []), compounds: read('compounds.json', {}) };
}

// The concept of each modifier stem of a rule: the rule's own concept when the head tells the folder apart
// ("concept" given, "modifiers" a list), else the concept the stem is listed under ("modifiers" an object).
export function ruleStems(rule) {
    if (typeof rule.concept === 'string') return (Array.isArray(rule.modifiers) ? rule.modifiers : []).map((stem) => [rule.concept, stem]);
    return Object.entries(rule.modifiers ?? {}).flatMap(([concept, stems]) => (Array.isArray(stems) ? stems : []).map((stem) => [concept, stem]));
}

// Every compound of one language: { concept, word } for each stem of a rule joined to each of its heads.
export function compoundWords(compounds, language) {
    const out = [];
    for (const rule of compounds[language] ?? [])
        for (const [concept, stem] of ruleStems(rule)) for (const head of rule.heads ?? []) out.push({ concept, word: stem + head });
    return out;
}

const fold = (word) => word.toLowerCase().normalize('NFD').replace(/\p{Mn}/gu, '').normalize('NFC').trim();

// Folded hand-written word -> the concept that lists it (in any language).
export function handWrittenOwners(concepts) {
    const owners = new Map();
    for (const concept of concepts)
        for (const lists of [concept.words ?? {}, concept.weak ?? {}])
            for (const list of Object.values(lists)) for (const word of Array.isArray(list) ? list : []) owners.set(fold(String(word)), concept.concept);
    return owners;
}

// concept name -> language -> [{ word, relevance }], hand-written words first, each word once. A compound
// that another concept lists by hand is left to that concept.
export function expandVocabulary({ concepts, compounds }, languages) {
    const handWritten = handWrittenOwners(concepts);
    const table = new Map();
    for (const concept of concepts) {
        const perLanguage = {};
        for (const language of languages) {
            const list = [];
            const seen = new Set();
            const add = (word, relevance) => {
                if (typeof word !== 'string' || seen.has(word)) return;
                seen.add(word);
                list.push({ word, relevance });
            };
            for (const word of concept.words?.[language] ?? []) add(word, STRONG);
            for (const word of concept.weak?.[language] ?? []) add(word, WEAK);
            for (const { concept: owner, word } of compoundWords(compounds, language))
                if (owner === concept.concept && (handWritten.get(fold(word)) ?? owner) === owner) add(word, STRONG);
            perLanguage[language] = list;
        }
        table.set(concept.concept, perLanguage);
    }
    return table;
}
