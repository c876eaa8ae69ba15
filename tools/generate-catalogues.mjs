// Writes resources/lucide/ (the Lucide SVG files), resources/catalogues/emojis.txt and
// resources/catalogues/sf_symbols.txt. Run: (cd tools && npm ci) && node tools/generate-catalogues.mjs
import fs from 'node:fs';
import path from 'node:path';
import { byCodePoint, modulesDir, readJson, resourcesDir, writeFile } from './lib.mjs';

// Former Lucide names that the program itself asks for; their files ship in lucide-static as aliases.
const LUCIDE_ALIASES = ['building-2', 'trash-2'];
const EMOJI_TEST = '/usr/share/unicode/emoji/emoji-test.txt';
const ADWAITA = '/usr/share/icons/Adwaita';

function writeLucide() {
    const lucide = path.join(modulesDir, 'lucide-static');
    const names = [...Object.keys(readJson(path.join(lucide, 'tags.json'))), ...LUCIDE_ALIASES].sort(byCodePoint);
    const out = path.join(resourcesDir, 'lucide');
    fs.rmSync(out, { recursive: true, force: true });
    fs.mkdirSync(out, { recursive: true });
    for (const name of names) fs.copyFileSync(path.join(lucide, 'icons', `${name}.svg`), path.join(out, `${name}.svg`));
    return names.length;
}

// Keeps the header, the group and subgroup lines and every fully-qualified emoji line of the Unicode
// emoji test data, in the file's own order and format; the other statuses and the counts are left out.
function writeEmojis() {
    const kept = [];
    let inHeader = true;
    let count = 0;
    for (const line of fs.readFileSync(EMOJI_TEST, 'utf8').split('\n')) {
        if (line.startsWith('# group:')) inHeader = false;
        if (inHeader) {
            kept.push(line);
        } else if (/^# (sub)?group: /.test(line)) {
            kept.push('', line);
        } else if (/;\s*fully-qualified\s*#/.test(line)) {
            kept.push(line);
            count++;
        }
    }
    const text = kept.join('\n').replace(/\n{3,}/g, '\n\n').trimEnd();
    writeFile('catalogues/emojis.txt', text + '\n\n#EOF\n');
    return count;
}

function symbolicNames(dir, names) {
    for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
        const full = path.join(dir, entry.name);
        if (entry.isDirectory()) symbolicNames(full, names);
        else if (entry.name.endsWith('-symbolic.svg')) names.add(entry.name.slice(0, -'-symbolic.svg'.length));
    }
    return names;
}

// Adwaita's symbolic icons, named the way the symbol catalogue writes them: "-" becomes ".", the
// "-symbolic" suffix is dropped (folder-open-symbolic -> folder.open).
function writeSymbols() {
    const names = new Set();
    for (const dir of ['scalable', 'scalable-up-to-32']) {
        const full = path.join(ADWAITA, dir);
        if (fs.existsSync(full)) symbolicNames(full, names);
    }
    const lines = [...names].map((n) => n.replaceAll('-', '.')).sort(byCodePoint);
    writeFile('catalogues/sf_symbols.txt', lines.join('\n') + '\n');
    return lines.length;
}

// The licence texts of what this script copies or derives from.
function writeLicences() {
    fs.mkdirSync(path.join(resourcesDir, 'licenses'), { recursive: true });
    const copy = (from, to) => fs.copyFileSync(from, path.join(resourcesDir, 'licenses', to));
    copy(path.join(modulesDir, 'lucide-static', 'LICENSE'), 'lucide-ISC.txt');
    copy('/usr/share/doc/unicode-data/copyright', 'unicode-data-copyright.txt');
    copy('/usr/share/doc/adwaita-icon-theme/copyright', 'adwaita-icon-theme-copyright.txt');
}

writeLicences();
console.log(`lucide: ${writeLucide()} icons`);
console.log(`emojis: ${writeEmojis()} fully-qualified emoji`);
console.log(`sf_symbols: ${writeSymbols()} symbols`);
