// Finds the main text of the page as the browser lays it out (the article without its menus,
// sidebars, notices, related links, comments and footers) and names it as ranges of the
// document, in document order, which the program selects and copies one after the other.
// Runs in a script world of the program's own, so the page's scripts can neither see it nor
// replace the DOM functions it calls; it reads only the DOM, computed styles and layout.
//   velcaroMainText.find()    the number of ranges found, 0 when no main text stands out
//   velcaroMainText.select(i) selects range i (focusing its frame when it lies in one); false
//                             when the selection shows no text, which the copy then skips
// It runs once, synchronously, within bounded work, and never throws: any failure finds none.
var velcaroMainText = (function (root) {
  'use strict';

  // ---------------------------------------------------------------------------
  // Tunables
  // ---------------------------------------------------------------------------

  // Work caps: the finder must stay a small fraction of a page load on huge documents.
  var MAX_NODES_VISITED = 100000;      // nodes (elements and texts) walked; the rest of a giant page is ignored
  var BIG_PAGE_ELEMENTS = 30000;       // above this many elements only the region of the richest paragraphs is walked
  var MAX_FOCUS_PARAGRAPHS = 5000;     // paragraphs weighed to find that region
  var FOCUS_CONTEXT_LEVELS = 3;        // levels above the richest paragraphs' parent taken with it (title, byline)
  var WALK_BUDGET_MS = 150;            // the walk also stops after this long, whatever it has seen
  var MAX_LAYOUT_BLOCKS = 3000;        // text blocks whose style and box are read (largest first)
  var MAX_FRAMES = 10;                 // frames looked into when the page itself has no main text
  var FRAME_MIN_WIDTH_SHARE = 0.5;     // a frame narrower than this share of the viewport is an embed, not the page
  var FRAME_MIN_HEIGHT = 200;          // ...and one lower than this (CSS pixels) as well
  var TIME_BUDGET_MS = 300;            // past this, remaining layout reads are skipped
  var SLUG_TEXT_CHARS = 80;            // a section's title is read from this much of its first text
  var MAX_RANGES = 64;                 // ranges the program copies at most (kMaxMainRanges)

  // Text signals.
  var SHORT_TEXT_CHARS = 40;           // shorter unlinked text is a label, not a paragraph
  var LINK_PENALTY = 1.0;              // each link character counts this much against its container
  var PUNCT_BONUS_CHARS = 10;          // each sentence mark is worth this many characters
  var MIN_MAIN_TEXT_CHARS = 200;       // less unlinked text than this is not an article
  var MAX_MAIN_LINK_DENSITY = 0.5;     // a container mostly made of links is a list, not an article
  var LINK_LIST_DENSITY = 0.5;         // a block inside the article with more links than this...
  var LINK_LIST_MAX_PLAIN = 200;       // ...and less unlinked text than this is a link list

  // Class and id hints, compared word part by word part ("post-comments" -> "post", "comments").
  var NEGATIVE_PREFIXES = /^(comment|disqus|respond|footer|sidebar|related|recommend|readmore|share|sharing|social|newsletter|subscri|signup|promo|sponsor|advert|banner|cookie|consent|gdpr|popup|modal|breadcrumb|taglist|byline|widget|outbrain|taboola|trending|popular|mostread|pagination|pager|toolbar|masthead|caption|teaser|carousel|paywall|disclaimer|navbar|navigation|dropdown|overlay|lightbox|copyright|kommentar|commentaire|comentari|comentári|verwandt|aehnlich|correlat|relacionad|similaire|empfehl|werbung|publicit|pubblicit|publicidad|abonn|iscrizion|suscripci|assinatur|teilen|partage|condivi|compartir|compartilh|impressum|datenschutz|fusszeile|rodape|piedipagina|piepagina|navegaci|navigazion)/;
  var NEGATIVE_WORDS = toSet('nav menu ad ads adv aside tags tag print rating header skip login meta share foot author bio credit credits secondary ' +
    'pub autor auteur autore anzeige schlagworte etiquetas');
  // Headings of the blocks that follow an article, in the languages of most pages: a heading
  // saying only this opens no part of the main text ("Kommentare", "À lire aussi").
  var BOILER_HEADING = new RegExp('^[\\s\\W\\d]*(' + [
    'comments?', 'leave a (comment|reply)', 'related( articles| stories| posts| content| links)?', 'read (more|next|also)',
    'more (from|on|stories|articles|news)', 'you (may|might) also like', 'recommended( for you)?', 'most (read|popular|viewed)',
    'share( this)?( article| story| post)?', 'newsletter', 'sign up.*', 'subscribe.*', 'about the author', 'tags',
    'kommentare?', 'leserkommentare', 'mehr zum thema', 'weitere artikel', 'das könnte sie (auch )?interessieren',
    'ähnliche artikel', 'verwandte artikel', '(artikel )?teilen', 'meistgelesen', 'über den autor', 'schlagworte',
    'commentaires?', 'réagissez', '(à )?lire aussi', 'sur le même (sujet|thème)', 'articles? similaires',
    'partager( cet article)?', 'les plus lus', 'à propos de l.auteur',
    'commenti', 'commenta', 'leggi anche', 'articoli correlati', '(ti )?potrebbe (anche )?interessarti', 'condividi', '(i )?più letti',
    'comentarios?', 'deja un comentario', 'noticias relacionadas', 'artículos relacionados', 'te puede interesar',
    'lee también', 'compartir', 'lo más leído',
    'comentários', 'notícias relacionadas', 'leia também', 'veja também', 'compartilhe?', 'mais lidas'
  ].join('|') + ')[\\s\\W\\d]*$', 'i');
  var BOILER_HEADING_MAX_CHARS = 60;
  // Names that only say where a box sits: the layout overrules them (see isInsetProse).
  var POSITION_WORDS = toSet('sidebar aside secondary');
  // A comment's "post-text" is a comment all the same.
  var THREAD_NAME = /(^|[^a-z])(comments?|disqus|kommentare?|commentaires?|commenti|comentarios?|comentários)([^a-z]|$)/i;
  var POSITIVE_WORDS = toSet('article articlebody articlecontent articletext story storybody storycontent storytext post postbody postcontent posttext entry entrycontent content body text main maincontent blog');
  var STRONG_POSITIVE = /(^|[^a-z])(article|entry|post|story|news|blog)[-_]*(body|content|text)($|[^a-z])|articlebody|articletext|storybody|postbody/i;
  var HINT_NEGATIVE_FACTOR = -0.5;     // text under a negative hint counts against its container
  var HINT_POSITIVE_FACTOR = 1.25;     // text under a positive hint counts a bit more
  var HINT_STRONG_FACTOR = 1.6;        // text marked as the article body counts more still
  var NEG_HINT_POSITIVE_SHARE = 0.3;   // a "boilerplate" wrapper holding this share of content-hinted text is not boilerplate
  var NEG_HINT_PAGE_SHARE = 0.6;       // nor is one holding this share of the whole page
  var INSET_MAX_LINK_SHARE = 0.2;      // a box inside the text with more links than this is not prose

  // Lists of teasers (related stories, headlines with summaries).
  var TEASER_MIN_ITEMS = 3;            // this many look-alike siblings make a list
  var TEASER_ITEM_MAX_CHARS = 700;     // a teaser is short
  var TEASER_QUORUM = 0.7;             // share of the siblings that must look like teasers
  var TEASER_FACTOR = -0.3;            // a teaser's text counts against its container
  var DATA_ROW_CELLS = 3;              // a table row of this many cells is data, never a teaser
  var TEASER_HEADLINE_LINK_SHARE = 0.6;
  var DOCUMENT_MIN_HEADINGS = 6;       // a main text with this many section headings is a document
  var CAPTION_SELECTOR = 'figcaption, [class*="caption" i], [class*="credit" i]';
  var SERIES_MIN_ITEMS = 3;            // this many look-alike pictures with a sentence each are steps
  var LIST_ITEM_MAX_CHARS = 800;       // a main text this short may be one item of a list...
  var LIST_ITEM_LEVELS = 3;
  var LIST_MIN_ARTICLES = 4;           // this many article elements of its size make the page a list            // ...when it, or a wrapper this close above, has look-alike siblings// the block opening a teaser is mostly its headline link

  // Structured data.
  var STRUCTURED_MIN_CHARS = 200;      // a marked article body shorter than this is not trusted
  var STRUCTURED_MIN_SHARE = 0.3;      // nor one holding less than this share of the best container's text
  var JSONLD_MATCH_MIN_CHARS = 150;    // matched block text needed before the JSON-LD body is used
  var HEADING_TITLE_MATCH = 0.6;       // share of an h1's words found in the page title to make it the main heading
  var HEADING_H2_TITLE_MATCH = 0.8;    // an h2 stands for the headline only when it matches the title closely
  var HEADLINE_MAX_CHARS = 200;        // a block standing for the headline without being a heading is this short
  var HEADING_MIN_CHARS = 10;          // a heading shorter than this is a logo or a label, not a headline
  var BEFORE_HEADING_MAX_SHARE = 0.2;  // text before the headline inside the container is dropped only when it is this small
  var UNIT_MIN_CHARS = 100;            // an article element smaller than this is not a story
  var UNIT_MIN_SHARE = 0.6;            // article elements must hold this share of the container to be its stories
  var EDGE_KEEP_CHARS = 150;           // a block with a paragraph this long is body text, not header or footer matter
  var CAPTION_MAX_CHARS = 250;         // text next to an image up to this long is its caption or credit
  var MINOR_MAX_CHARS = 80;            // a smaller-type line up to this long is a label or a credit
  var DATE_LINE_MAX_CHARS = 80;        // a date line is short...
  var DATE_LINE_MAX_WORDS = 7;         // ...and has few words beside its numbers
  var LINKED_SENTENCE_MIN_CHARS = 80;
  var SENTENCE_PLAIN_WORDS = 3;        // a linked list item with this many words of its own around the links says something  // a linked paragraph this long with a sentence mark is prose, not a link list
  var CLIMB_GAIN = 1.02;               // a wrapper is taken when it adds at least this much content value

  // Layout signals.
  var NARROW_BLOCK_SHARE = 0.3;        // a text block narrower than this share of the viewport is a side column
  var NARROW_FACTOR = 0.4;             // ...and its text counts this much
  var SMALL_FONT_RATIO = 0.8;          // text smaller than this share of the page's body text size...
  var SMALL_FONT_FACTOR = 0.6;         // ...counts this much
  var ODD_SIZE_RATIO = 0.12;           // text this much larger or smaller than body text (or italic) is styled apart: a dek, a note

  // Tags.
  var SKIP_TAGS = toSet('script style noscript template head link meta title iframe frame frameset object embed video audio canvas map param source track');
  var MEDIA_TAGS = toSet('img picture video iframe embed object canvas svg audio');
  var CONTROL_TAGS = toSet('button select textarea input option datalist svg math');
  var INLINE_TAGS = toSet('a abbr acronym b bdi bdo big br cite code data dfn em font i img kbd label mark q s samp small span strike strong sub sup time tt u var wbr del ins nobr');
  var BOILER_TAGS = toSet('nav aside footer form dialog menu');
  var HEADING_TAGS = toSet('h1 h2 h3 h4 h5 h6');
  var PROSE_TAGS = toSet('p li blockquote pre dd td table');

  // ---------------------------------------------------------------------------
  // Small helpers
  // ---------------------------------------------------------------------------

  function toSet(words) {
    var s = Object.create(null);
    words.split(/\s+/).forEach(function (w) { if (w) s[w] = true; });
    return s;
  }

  function now() { return (root.performance && root.performance.now) ? root.performance.now() : Date.now(); }

  function tagOf(el) { return String(el.localName || el.nodeName || '').toLowerCase(); }

  function attr(el, name) {
    var v = el.getAttribute ? el.getAttribute(name) : null;
    return v == null ? '' : String(v);
  }

  var CJK_RE = /[\u3040-\u30ff\u3400-\u4dbf\u4e00-\u9fff\uac00-\ud7af\uf900-\ufaff]/g;
  var CJK_CHAR_WEIGHT = 2;             // text length of one such character, in characters of alphabetic text
  var PUNCT_RE = /[.!?;:,\u3002\uff0c\uff01\uff1f\u060c\u061f\u0964]/g;
  var SPACE_RE = /\s+/g;

  // Words of two letters or more (a run of CJK characters counts a word every three).
  var WORD_RE = /[A-Za-z\u00c0-\u024f\u0370-\u03ff\u0400-\u04ff\u0590-\u06ff]{2,}/g;
  function countWords(s) {
    var w = s.match(WORD_RE), c = s.match(CJK_RE);
    return (w ? w.length : 0) + (c ? Math.floor(c.length / 3) : 0);
  }

  function countPunct(s) { var m = s.match(PUNCT_RE); return m ? m.length : 0; }

  // Lowercase letters and digits only, for comparing texts across markup.
  function normalizeText(s) {
    return String(s).toLowerCase().replace(/[^0-9a-z\u00c0-\uffff]+/g, ' ').trim();
  }

  // ---------------------------------------------------------------------------
  // Records: one per non-inline element; text goes to its nearest block
  // ---------------------------------------------------------------------------

  // Numeric fields that will hold fractions start as fractions: the engine then stores
  // them as doubles from the first record on (changing a field's storage later, on tens
  // of thousands of records, costs more than the whole scoring).
  var AS_DOUBLE = 0.5;

  function Rec(el, parent, tag) {
    this.el = el;
    this.parent = parent;
    this.tag = tag;
    this.depth = parent ? parent.depth + 1 : 0;
    this.kids = [];
    this.control = false;   // a form control or graphic: copied text we never want
    this.ownChars = 0;      // characters of text directly inside (through inline tags)
    this.ownLink = 0;       // of which inside links
    this.ownPunct = 0;
    this.plainWords = 0;    // words of the subtree outside links (own words until scored)
    this.text = '';         // its own text
    this.firstInLink = null;// whether the first text of its subtree sits in a link
    this.firstText = null;  // the record holding the first text of its subtree
    this.cls = '';          // class and id, read once
    this.namedAside = false;// its boilerplate hint only names where it sits ("sidebar")
    this.hint = 0;          // -1 boilerplate, 1 content, 2 article body (own attributes)
    this.hidden = false;
    this.narrow = false;
    this.smallFont = false;
    this.teaser = false;
    this.value = AS_DOUBLE; this.value = 0;   // worth of its own text
    this.sum = AS_DOUBLE; this.sum = 0;       // worth of the subtree
    this.chars = 0;         // subtree characters
    this.link = 0;          // subtree link characters
    this.posChars = 0;      // largest content-hinted subtree inside (characters)
    this.maxPara = 0;       // longest unlinked text of one block in the subtree
    this.media = false;     // an image, video or embed sits directly inside
    this.mediaIn = false;   // ...or anywhere in the subtree
    this.proseChars = 0;    // unlinked characters inside paragraph-like tags (p, li, blockquote...)
    this.oddChars = 0;      // unlinked characters of the subtree styled apart from the container's text
    this.factor = AS_DOUBLE; this.factor = 1;
    this.index = 0;         // position in document order
    this.inQuote = false;   // inside a blockquote
    this.box = null;        // layout, when read
    this.fontSize = AS_DOUBLE; this.fontSize = 0;
    this.italic = false;
    this.domSize = 0;       // main text size of the container it was judged in
    this.dropWhy = '';
    this.h1Count = 0;
    this.core = null;
  }

  // Walks the rendered tree once, in document order. Each open element is a frame that
  // hands out its children one by one (an open shadow root stands in for the light
  // children of custom elements, its slots bring those back in).
  function walk(doc, state, from) {
    var recs = [];
    var body = from || doc.body;
    var top = new Rec(body, null, tagOf(body));
    recs.push(top);
    var frames = [openFrame(body, top, false)];
    var visited = 0;
    while (frames.length) {
      var f = frames[frames.length - 1];
      var node = nextChild(f);
      if (!node) { frames.pop(); continue; }
      if (++visited > MAX_NODES_VISITED || ((visited & 4095) === 0 && now() - state.start > WALK_BUDGET_MS))
        break;
      var type = node.nodeType;
      if (type === 3) { addText(f.rec, node.data, f.inLink); continue; }
      if (type !== 1) continue;
      var tag = tagOf(node);
      var rec = f.rec;
      if (MEDIA_TAGS[tag]) rec.media = true;
      if (SKIP_TAGS[tag]) continue;
      if (CONTROL_TAGS[tag]) {
        var c = new Rec(node, rec, tag);
        c.control = true;
        recs.push(c);
        rec.kids.push(c);
        continue;
      }
      var link = f.inLink || (tag === 'a' && node.hasAttribute('href'));
      var host = tag.indexOf('-') > 0 && node.shadowRoot;
      if (INLINE_TAGS[tag] && !host) {
        frames.push(openFrame(node, rec, link));
      } else {
        var r = new Rec(node, rec, tag);
        r.inQuote = rec.inQuote || rec.tag === 'blockquote';
        recs.push(r);
        rec.kids.push(r);
        frames.push(openFrame(node, r, link, host));
      }
    }
    for (var i = 0; i < recs.length; i++) recs[i].index = i;
    return recs;
  }

  function openFrame(node, rec, inLink, shadow) {
    var f = { rec: rec, inLink: inLink, cur: null, list: null, at: 0 };
    if (shadow) f.cur = shadow.firstChild;
    else if (rec.tag === 'slot' && node.localName === 'slot' && node.assignedNodes) {
      f.list = node.assignedNodes({ flatten: true });
      if (!f.list.length) { f.list = null; f.cur = node.firstChild; }
    } else f.cur = node.firstChild;
    return f;
  }

  function nextChild(f) {
    if (f.list) return f.at < f.list.length ? f.list[f.at++] : null;
    var n = f.cur;
    if (n) f.cur = n.nextSibling;
    return n;
  }

  // On a giant page the walk is limited to the region around the richest paragraphs,
  // found through the browser's own element index (a cheap pass over <p> elements).
  function focusRegion(doc) {
    var all = doc.getElementsByTagName('*').length;
    if (all <= BIG_PAGE_ELEMENTS) return doc.body;
    var ps = doc.getElementsByTagName('p');
    var weight = new Map();
    var best = null, bestWeight = 0;
    function add(el, w) {
      if (!el) return;
      var v = (weight.get(el) || 0) + w;
      weight.set(el, v);
      if (v > bestWeight) { bestWeight = v; best = el; }
    }
    for (var i = 0; i < ps.length && i < MAX_FOCUS_PARAGRAPHS; i++) {
      var len = (ps[i].textContent || '').length;
      if (len < SHORT_TEXT_CHARS) continue;
      var parent = ps[i].parentElement;
      add(parent, len);
      if (parent) add(parent.parentElement, len / 2);
    }
    if (!best) return doc.body;
    for (var up = 0; up < FOCUS_CONTEXT_LEVELS && best !== doc.body && best.parentElement; up++) {
      if (best.parentElement.getElementsByTagName('*').length > BIG_PAGE_ELEMENTS) break;
      best = best.parentElement;
    }
    return best;
  }

  function addText(rec, data, inLink) {
    if (!data || !/\S/.test(data)) return;
    var t = data.replace(SPACE_RE, ' ');
    var n = t.replace(SPACE_RE, '').length;
    // A Chinese, Japanese or Korean character says about as much as a short word.
    var dense = t.match(CJK_RE);
    if (dense) n += dense.length * (CJK_CHAR_WEIGHT - 1);
    rec.ownChars += n;
    if (inLink) rec.ownLink += n;
    rec.ownPunct += countPunct(t);
    if (!inLink) rec.plainWords += countWords(t);
    rec.text += t;
    for (var r = rec; r && r.firstInLink === null; r = r.parent) { r.firstInLink = !!inLink; r.firstText = rec; }
  }

  // ---------------------------------------------------------------------------
  // Hints from markup
  // ---------------------------------------------------------------------------

  // -1 boilerplate, +1 content, +2 marked article body, 0 nothing said. The few
  // elements with itemprop or role attributes come from one selector query (marked).
  function hintOf(r, marked) {
    var el = r.el, tag = r.tag;
    var cls = r.cls = (el.getAttribute('class') || '') + ' ' + (el.id || '');
    if (marked.has(el)) {
      if (/articleBody/i.test(attr(el, 'itemprop'))) return 2;
      var role = attr(el, 'role');
      if (/^(navigation|banner|contentinfo|complementary|menu|menubar|dialog|alertdialog|search|toolbar)$/i.test(role)) return -1;
      if (role === 'main' || role === 'article') return 1;
    }
    if (BOILER_TAGS[tag]) return -1;
    if (THREAD_NAME.test(cls)) return -1;
    if (STRONG_POSITIVE.test(cls)) return 2;
    if (tag === 'article' || tag === 'main') return 1;
    var parts = withoutTitleSlug(cls.toLowerCase(), r).split(/[^a-z0-9]+/);
    var pos = false;
    for (var i = 0; i < parts.length; i++) {
      var p = parts[i];
      if (!p) continue;
      if (NEGATIVE_WORDS[p] || NEGATIVE_PREFIXES.test(p)) { r.namedAside = POSITION_WORDS[p] === true; return -1; }
      if (POSITIVE_WORDS[p]) pos = true;
    }
    return pos ? 1 : 0;
  }

  // Documentation generators name a section after its title ("sharing-with-a-single-developer"):
  // such a name is the section's own words, which say nothing of its role.
  function withoutTitleSlug(cls, r) {
    var first = r.firstText;
    if (!first || !first.text || cls.indexOf('-') < 0 && cls.indexOf('_') < 0) return cls;
    var words = first.text.slice(0, SLUG_TEXT_CHARS).toLowerCase().replace(/[^a-z0-9]+/g, ' ').trim().split(' ');
    if (words.length < 2) return cls;
    var slug = words.slice(0, 3).join('-');
    var names = cls.replace(/_/g, '-').split(/\s+/);
    return names.filter(function (name) { return name.indexOf(slug) < 0; }).join(' ');
  }

  // ---------------------------------------------------------------------------
  // Layout signals (bounded: largest text blocks first)
  // ---------------------------------------------------------------------------

  function readLayout(recs, doc, state) {
    var win = doc.defaultView || root;
    var vw = win.innerWidth || doc.documentElement.clientWidth || 1024;
    var blocks = recs.filter(function (r) { return r.ownChars > 0 && !r.hidden; });
    blocks.sort(function (a, b) { return b.ownChars - a.ownChars; });
    if (blocks.length > MAX_LAYOUT_BLOCKS) blocks.length = MAX_LAYOUT_BLOCKS;
    var sizes = [];
    for (var i = 0; i < blocks.length; i++) {
      if ((i & 31) === 0 && now() - state.start > TIME_BUDGET_MS) break;
      var r = blocks[i];
      var el = r.el;
      var rects = el.getClientRects();
      if (!rects.length) { r.hidden = true; continue; }
      var cs = win.getComputedStyle(el);
      if (cs.visibility === 'hidden' || cs.visibility === 'collapse') { r.hidden = true; continue; }
      var box = el.getBoundingClientRect();
      if (box.width < 2 && box.height < 2) { r.hidden = true; continue; }
      if (box.right < 0 || box.left >= vw || box.bottom + win.scrollY < 0) { r.hidden = true; continue; }
      r.box = box;
      r.fontSize = parseFloat(cs.fontSize) || 0;
      r.italic = cs.fontStyle === 'italic';
      r.narrow = box.width < vw * NARROW_BLOCK_SHARE;
      if (r.ownChars - r.ownLink >= SHORT_TEXT_CHARS) sizes.push([r.fontSize, r.ownChars - r.ownLink]);
    }
    // Body text size: the size carrying the most unlinked text.
    var weight = Object.create(null);
    var bestSize = 0, bestWeight = 0;
    for (var j = 0; j < sizes.length; j++) {
      var k = Math.round(sizes[j][0]);
      weight[k] = (weight[k] || 0) + sizes[j][1];
      if (weight[k] > bestWeight) { bestWeight = weight[k]; bestSize = k; }
    }
    if (bestSize) {
      for (var m = 0; m < blocks.length; m++) {
        var b = blocks[m];
        if (b.fontSize && b.fontSize < bestSize * SMALL_FONT_RATIO) b.smallFont = true;
      }
    }
  }

  // ---------------------------------------------------------------------------
  // Teaser lists
  // ---------------------------------------------------------------------------

  // Marks items of lists of look-alike siblings that each open with a link (a headline
  // with or without a summary): related stories, "more from", home-page rivers.
  function markTeasers(recs) {
    for (var i = 0; i < recs.length; i++) {
      var r = recs[i];
      if (r.kids.length < TEASER_MIN_ITEMS) continue;
      var groups = Object.create(null);
      for (var j = 0; j < r.kids.length; j++) {
        var k = r.kids[j];
        if (k.chars === 0 || k.tag === 'p') continue;   // paragraphs are prose, not list items
        if (isDataCell(k)) continue;   // a data table's rows
        var sig = k.tag + '|' + (k.cls || '').replace(/\d+/g, '');
        (groups[sig] = groups[sig] || []).push(k);
      }
      for (var sig2 in groups) {
        var g = groups[sig2];
        if (g.length < TEASER_MIN_ITEMS) continue;
        var n = 0;
        for (var q = 0; q < g.length; q++) if (looksLikeTeaser(g[q])) n++;
        if (n >= g.length * TEASER_QUORUM) for (q = 0; q < g.length; q++) g[q].teaser = true;
      }
    }
  }

  // A teaser opens with a headline link standing as its own block (a link that merely
  // starts a paragraph does not count), or is mostly links.
  function looksLikeTeaser(r) {
    if (r.chars > TEASER_ITEM_MAX_CHARS || r.link === 0) return false;
    if (r.link >= r.chars * 0.5) return true;
    var f = r.firstText;
    return r.firstInLink === true && !!f && f.ownLink >= f.ownChars * TEASER_HEADLINE_LINK_SHARE;
  }

  // ---------------------------------------------------------------------------
  // Scoring
  // ---------------------------------------------------------------------------

  function ownValue(r) {
    if (r.hidden || r.control) return 0;
    var plain = r.ownChars - r.ownLink;
    var v = 0;
    if (plain >= SHORT_TEXT_CHARS) v += plain + r.ownPunct * PUNCT_BONUS_CHARS;
    v -= r.ownLink * LINK_PENALTY;
    if (v > 0) {
      if (r.narrow) v *= NARROW_FACTOR;
      if (r.smallFont) v *= SMALL_FONT_FACTOR;
    }
    return v;
  }

  function score(recs) {
    var i, r, p;
    for (i = 0; i < recs.length; i++) recs[i].value = ownValue(recs[i]);
    // Subtree sizes, bottom-up (records are in document order: children after parents).
    for (i = recs.length - 1; i >= 0; i--) {
      r = recs[i];
      if (!r.hidden && !r.control) { r.chars += r.ownChars; r.link += r.ownLink; }
      if (r.media) r.mediaIn = true;
      if (!r.hidden && !r.control && r.ownChars - r.ownLink > r.maxPara) r.maxPara = r.ownChars - r.ownLink;
      p = r.parent;
      if (p) {
        p.chars += r.chars;
        p.link += r.link;
        if (r.maxPara > p.maxPara) p.maxPara = r.maxPara;
        p.proseChars += PROSE_TAGS[r.tag] ? r.chars - r.link : r.proseChars;
        if (!r.hidden && !r.control) p.plainWords += r.plainWords;
        if (r.mediaIn) p.mediaIn = true;
      }
    }
    // Markup hints, read only where there is text to judge.
    var marked = new Set();
    var found = recs[0].el.querySelectorAll('[itemprop], [role]');
    for (i = 0; i < found.length; i++) marked.add(found[i]);
    if (recs[0].el.matches('[itemprop], [role]')) marked.add(recs[0].el);
    for (i = 0; i < recs.length; i++) if (recs[i].chars > 0) recs[i].hint = hintOf(recs[i], marked);
    for (i = recs.length - 1; i >= 0; i--) {
      r = recs[i];
      if (r.hint > 0 && r.chars > r.posChars) r.posChars = r.chars;
      if (r.parent && r.posChars > r.parent.posChars) r.parent.posChars = r.posChars;
    }
    markTeasers(recs);
    // The nearest hinted ancestor decides how a block's text counts. A "boilerplate"
    // name on a wrapper that holds the content or most of the page is ignored.
    var total = recs[0].chars || 1;
    for (i = 0; i < recs.length; i++) {
      r = recs[i];
      if (r.hint < 0 && (r.posChars >= r.chars * NEG_HINT_POSITIVE_SHARE || r.chars >= total * NEG_HINT_PAGE_SHARE || isInsetProse(r))) r.hint = 0;
      var inherited = r.parent ? r.parent.factor : 1;
      if (r.teaser) r.factor = TEASER_FACTOR;
      else if (r.hint < 0) r.factor = HINT_NEGATIVE_FACTOR;
      else if (r.hint === 2) r.factor = HINT_STRONG_FACTOR;
      else if (r.hint === 1) r.factor = inherited < 0 ? inherited : Math.max(inherited, HINT_POSITIVE_FACTOR);
      else r.factor = inherited;
      if (r.value > 0) r.value *= r.factor;
    }
    for (i = recs.length - 1; i >= 0; i--) {
      r = recs[i];
      r.sum += r.value;
      if (r.parent) r.parent.sum += r.sum;
    }
  }

  // A box named as boilerplate by its class that the page sets inside the text, between two
  // paragraphs, and that reads as prose itself: a note, a tip, a definition set apart.
  function isInsetProse(r) {
    if (!r.namedAside || !r.parent || r.narrow) return false;
    var plain = r.chars - r.link;
    if (plain < EDGE_KEEP_CHARS || r.link > r.chars * INSET_MAX_LINK_SHARE || r.firstInLink) return false;
    var sib = r.parent.kids, at = sib.indexOf(r);
    if (!isProseBlock(neighbour(sib, at, -1))) return false;
    // Last in its section: the text goes on in the next one.
    for (var a = r; a.parent; a = a.parent) {
      var next = neighbour(a.parent.kids, a.parent.kids.indexOf(a), 1);
      if (next) return isProseBlock(next) || isProseBlock(firstWithText(next));
    }
    return false;
  }

  function firstWithText(r) {
    while (r && r.kids.length) r = neighbour(r.kids, -1, 1);
    return r;
  }

  function neighbour(sib, at, step) {
    for (var i = at + step; i >= 0 && i < sib.length; i += step) if (sib[i].chars > 0) return sib[i];
    return null;
  }

  function isProseBlock(r) {
    return !!r && r.hint >= 0 && !r.teaser && r.chars - r.link >= SHORT_TEXT_CHARS &&
      r.link < r.chars * INSET_MAX_LINK_SHARE && (r.proseChars > 0 || PROSE_TAGS[r.tag] || r.ownPunct > 0);
  }

  // ---------------------------------------------------------------------------
  // Structured data: itemprop=articleBody and JSON-LD articleBody
  // ---------------------------------------------------------------------------

  function jsonLdBodies(doc) {
    var out = [];
    var scripts = doc.querySelectorAll('script[type="application/ld+json"]');
    for (var i = 0; i < scripts.length && i < 20; i++) {
      var data;
      try { data = JSON.parse(scripts[i].textContent); } catch (e) { continue; }
      collectArticleBodies(data, out, 0);
    }
    out.sort(function (a, b) { return b.text.length - a.text.length; });
    return out;
  }

  function collectArticleBodies(v, out, depth) {
    if (!v || typeof v !== 'object' || depth > 6) return;
    if (Array.isArray(v)) { for (var i = 0; i < v.length; i++) collectArticleBodies(v[i], out, depth + 1); return; }
    if (typeof v.articleBody === 'string' && v.articleBody.length > 100) out.push({ text: v.articleBody });
    // A recipe's steps: a text, or a list of steps (and sections of steps) with their texts.
    if (v.recipeInstructions) {
      var steps = [];
      collectStepTexts(v.recipeInstructions, steps, 0);
      var joined = steps.join(' ');
      if (joined.length > 100) out.push({ text: joined, part: true });
    }
    for (var k in v) if (Object.prototype.hasOwnProperty.call(v, k) && v[k] && typeof v[k] === 'object') collectArticleBodies(v[k], out, depth + 1);
  }

  function collectStepTexts(v, out, depth) {
    if (depth > 4 || out.length > 200) return;
    if (typeof v === 'string') { out.push(v); return; }
    if (Array.isArray(v)) { for (var i = 0; i < v.length; i++) collectStepTexts(v[i], out, depth + 1); return; }
    if (!v || typeof v !== 'object') return;
    if (typeof v.text === 'string') out.push(v.text);
    if (v.itemListElement) collectStepTexts(v.itemListElement, out, depth + 1);
  }

  // The smallest record holding most of the blocks whose text appears in the JSON-LD body.
  function locateJsonLd(recs, doc, best) {
    var bodies = jsonLdBodies(doc);
    if (!bodies.length) return null;
    var hay = normalizeText(bodies[0].text.replace(/<[^>]+>/g, ' '));
    var matched = [];
    var total = 0;
    for (var i = 0; i < recs.length; i++) {
      var r = recs[i];
      if (r.hidden || r.ownChars - r.ownLink < SHORT_TEXT_CHARS) continue;
      var t = normalizeText(r.text);
      if (t.length < 30) continue;
      var probe = t.length > 120 ? t.slice(0, 120) : t;
      if (hay.indexOf(probe) >= 0) { matched.push(r); total += r.ownChars; }
    }
    if (total < Math.min(JSONLD_MATCH_MIN_CHARS, hay.length * 0.5)) return null;
    var located = smallestHolding(matched, total * 0.8);
    // A recipe's steps are one part of its page's text: they confirm the richest container
    // that holds them.
    if (bodies[0].part && best && isInside(located, best)) return best;
    return climb(located);
  }

  // From a located block, goes up while each step adds clearly more content than it
  // costs: the structured text may cover only the start of the article.
  function climb(r) {
    while (r && r.parent && r.parent.sum > r.sum * CLIMB_GAIN && r.parent.sum > r.sum + SHORT_TEXT_CHARS) r = r.parent;
    return r;
  }

  function smallestHolding(list, need) {
    // Walk up from each matched block, adding its characters to every ancestor.
    var acc = new Map();
    var best = null;
    for (var i = 0; i < list.length; i++) {
      for (var r = list[i]; r; r = r.parent) {
        var v = (acc.get(r) || 0) + list[i].ownChars;
        acc.set(r, v);
      }
    }
    acc.forEach(function (v, r) {
      if (v >= need && (!best || r.depth > best.depth)) best = r;
    });
    return best;
  }

  function locateItemprop(recs, best) {
    var cand = null;
    for (var i = 0; i < recs.length; i++) {
      var r = recs[i];
      if (r.hidden || !/articleBody/i.test(attr(r.el, 'itemprop'))) continue;
      if (!cand || r.chars - r.link > cand.chars - cand.link) cand = r;
    }
    if (!cand) return null;
    var plain = cand.chars - cand.link;
    if (plain < STRUCTURED_MIN_CHARS) return null;
    if (best && plain < (best.chars - best.link) * STRUCTURED_MIN_SHARE) return null;
    return cand;
  }

  // ---------------------------------------------------------------------------
  // The main heading: the h1 that matches the page's title
  // ---------------------------------------------------------------------------

  function titleReferences(doc) {
    var refs = [];
    var og = doc.querySelector('meta[property="og:title"], meta[name="twitter:title"]');
    if (og) refs.push(attr(og, 'content'));
    if (doc.title) refs.push(doc.title);
    return refs.map(function (t) { return wordSet(t); }).filter(function (w) { return w.size > 0; });
  }

  function wordSet(t) {
    var s = new Set();
    normalizeText(t).split(' ').forEach(function (w) { if (w) s.add(w); });
    return s;
  }

  // Share of the heading's words found in the best-matching title reference.
  function titleMatch(text, refs) {
    var w = wordSet(text);
    if (!w.size) return 0;
    var best = 0;
    for (var i = 0; i < refs.length; i++) {
      var n = 0;
      w.forEach(function (x) { if (refs[i].has(x)) n++; });
      best = Math.max(best, n / w.size);
    }
    return best;
  }

  // The h1 whose words best match the page title; when no h1 matches, an h2 or a short
  // block that matches closely. Several h1s inside one block are section titles.
  function findMainHeading(recs, doc) {
    var refs = titleReferences(doc);
    var h1 = bestTitleMatch(recs, 'h1', refs, HEADING_TITLE_MATCH);
    if (h1) return h1;
    return bestTitleMatch(recs, 'h2', refs, HEADING_H2_TITLE_MATCH) ||
      bestTitleMatch(recs, '', refs, HEADING_H2_TITLE_MATCH);
  }

  function bestTitleMatch(recs, tag, refs, threshold) {
    if (!refs.length) return null;
    var best = null, bestScore = 0;
    for (var i = 0; i < recs.length; i++) {
      var r = recs[i];
      if (r.hidden || r.chars < HEADING_MIN_CHARS) continue;
      // No tag given: any short leaf block styled as a title (a "p.title" headline).
      if (tag ? r.tag !== tag : (r.kids.length || r.chars > HEADLINE_MAX_CHARS || r.link > 0)) continue;
      var m = titleMatch(r.el.textContent, refs);
      if (m > bestScore) { bestScore = m; best = r; }
    }
    return bestScore >= threshold ? best : null;
  }

  function countHeadings(container) {
    var n = 0;
    (function visit(r) {
      for (var i = 0; i < r.kids.length && n < DOCUMENT_MIN_HEADINGS; i++) {
        var k = r.kids[i];
        if (HEADING_TAGS[k.tag] && k.tag !== 'h1' && !k.hidden) n++;
        else visit(k);
      }
    })(container);
    return n;
  }

  function countTag(container, tag) {
    var n = 0;
    (function visit(r) { for (var i = 0; i < r.kids.length; i++) { if (r.kids[i].tag === tag) n++; visit(r.kids[i]); } })(container);
    return n;
  }

  function isInside(r, anc) {
    for (var p = r; p; p = p.parent) if (p === anc) return true;
    return false;
  }

  // Unlinked characters of the container that come before the given record.
  function textBefore(container, target) {
    var n = 0;
    var done = false;
    (function visit(r) {
      for (var i = 0; i < r.kids.length && !done; i++) {
        var k = r.kids[i];
        if (k === target) { done = true; return; }
        if (isInside(target, k)) { n += k.ownChars - k.ownLink; visit(k); }
        else n += k.chars - k.link;
      }
    })(container);
    return n + container.ownChars - container.ownLink;
  }

  // Several articles in the container (a main story with teasers or related posts made
  // of article elements): keep the one holding the main heading, else the richest one.
  function pickArticleUnit(container, heading) {
    var units = [];
    (function visit(r) {
      for (var i = 0; i < r.kids.length; i++) {
        var k = r.kids[i];
        if (k.tag === 'article' && k.chars >= UNIT_MIN_CHARS && !k.hidden) units.push(k);
        else visit(k);
      }
    })(container);
    if (units.length < 2) return container;
    var inUnits = 0;
    for (var i = 0; i < units.length; i++) inUnits += units[i].chars;
    if (inUnits < container.chars * UNIT_MIN_SHARE) return container;
    if (heading && isInside(heading, container)) {
      for (var j = 0; j < units.length; j++) if (isInside(heading, units[j])) return units[j];
      return container;   // the heading belongs to the container: the units are its parts
    }
    var best = units[0];
    for (var k = 1; k < units.length; k++) if (units[k].sum > best.sum) best = units[k];
    return best;
  }

  // ---------------------------------------------------------------------------
  // Choosing the container
  // ---------------------------------------------------------------------------

  function bestBySum(recs) {
    var best = null;
    for (var i = 0; i < recs.length; i++) {
      var r = recs[i];
      if (r.hidden || r.control) continue;
      if (!best || r.sum > best.sum) best = r;
    }
    return best;
  }

  function chooseContainer(recs, doc) {
    var best = bestBySum(recs);
    return locateJsonLd(recs, doc, best) || locateItemprop(recs, best) || best;
  }

  function standsOut(c, heading, recs) {
    if (!c) return 'nothing';
    var plain = c.chars - c.link;
    if (plain < MIN_MAIN_TEXT_CHARS) return 'too little text';
    if (c.chars && c.link / c.chars > MAX_MAIN_LINK_DENSITY) return 'mostly links';
    if (c.sum <= 0) return 'no content value';
    if (plain < LIST_ITEM_MAX_CHARS && !(heading && isInside(heading, c)) && isListItem(c, recs)) return 'one item of a list';
    return '';
  }

  // A short block that is one of several look-alike items (a story on a home page, a result of
  // a search): the page is the list, and has no main text of its own.
  function isListItem(c, recs) {
    for (var a = c, k = 0; a.parent && k < LIST_ITEM_LEVELS; a = a.parent, k++) {
      if (a !== c && a.chars > c.chars * 1.5) return false;
      var like = 0, sib = a.parent.kids, kind = itemKind(a);
      for (var i = 0; i < sib.length; i++)
        if (sib[i] !== a && sib[i].chars >= a.chars * 0.3 && itemKind(sib[i]) === kind) like++;
      if (like >= TEASER_MIN_ITEMS - 1) return true;
      // Stories marked up as articles, anywhere on the page.
      if (a.tag === 'article' && countLike(recs, a) >= LIST_MIN_ARTICLES - 1) return true;
    }
    return false;
  }

  // Items of a list look alike: list items and articles by their element, other blocks by
  // their element and class too (numbers aside: generated class names differ by them).
  function itemKind(r) {
    if (r.tag === 'li' || r.tag === 'article') return r.tag;
    return r.tag + '|' + (attr(r.el, 'class') || '').replace(/\d+/g, '');
  }

  function countLike(recs, a) {
    var n = 0;
    for (var i = 0; i < recs.length; i++) {
      var r = recs[i];
      if (r !== a && r.tag === a.tag && !r.hidden && r.chars >= a.chars * 0.3 && !isInside(r, a) && !isInside(a, r)) n++;
    }
    return n;
  }

  // ---------------------------------------------------------------------------
  // Pruning inside the container
  // ---------------------------------------------------------------------------

  // Why a record inside the container is left out ('' when it stays).
  function dropReason(r, container) {
    if (r.hidden || r.control) return /\S/.test(r.el.textContent || '') ? 'hidden' : '';
    if (r.chars > 0 && attr(r.el, 'aria-hidden') === 'true') return 'hidden';
    if (r.tag === 'figcaption') return 'caption';
    if (isMediaWithCaption(r, container)) return 'media';
    if (isMinorNote(r)) return 'minor';
    if (isDateLine(r) && !isAmidBody(r, container.core) && !r.inQuote) return 'date';
    if (r.tag === 'h1' && container.h1Count < 2) return 'title';
    if (r.teaser) return 'teaser';
    if (r.hint < 0 && r.sum < container.sum * 0.5) return 'boilerplate';
    var plain = r.chars - r.link;
    if (isDataCell(r)) return '';
    if (r.chars > 0 && r.link / r.chars > LINK_LIST_DENSITY && plain < LINK_LIST_MAX_PLAIN && r.sum <= 0 && !isLinkedSentence(r)) return 'links';
    return '';
  }

  // An image, video or embed with at most a caption or a credit around it.
  function isMediaWithCaption(r, container) {
    if (!r.mediaIn || r.chars === 0 || PROSE_TAGS[r.tag] || HEADING_TAGS[r.tag]) return false;
    if (r === container.core || isInside(container.core, r)) return false;
    // A panel with a heading of its own over a sentence is content beside its picture.
    var first = firstWithText(r);
    if (first && HEADING_TAGS[first.tag] && hasSentence(r)) return false;
    // One of a series of look-alike blocks, each a picture with its sentence: steps.
    if (isInSeries(r) && hasShortSentence(r) && !isCaptioned(r)) return false;
    return r.chars - r.link <= CAPTION_MAX_CHARS && r.maxPara < CAPTION_MAX_CHARS;
  }

  // A short line set smaller than the text around it, or in italics, that is not a
  // heading: labels ("Advertisement"), credits, reading times.
  function isMinorNote(r) {
    // Code is set in a smaller type of its own, and is body text.
    if (!r.fontSize || !r.domSize || HEADING_TAGS[r.tag] || r.tag === 'pre' || r.kids.length) return false;
    var plain = r.ownChars - r.ownLink;
    if (plain === 0 || plain > MINOR_MAX_CHARS) return false;
    return r.fontSize < r.domSize * (1 - ODD_SIZE_RATIO) || r.italic;
  }

  // A block of the core that sits between its paragraphs (not before the first or
  // after the last one): a timeline's time stamps belong to the story.
  function isAmidBody(r, core) {
    if (!core || r.parent !== core) return false;
    var kids = core.kids, at = kids.indexOf(r), before = false, after = false;
    for (var i = 0; i < kids.length; i++) {
      if (kids[i].chars - kids[i].link < SHORT_TEXT_CHARS * 2) continue;
      if (i < at) before = true;
      if (i > at) after = true;
    }
    return before && after;
  }

  // A short line made of a date or a time with a few words: "Updated 11:21 pm CST,
  // Tuesday, November 19, 2019".
  function isDateLine(r) {
    if (r.kids.length || r.chars === 0 || r.chars > DATE_LINE_MAX_CHARS || HEADING_TAGS[r.tag]) return false;
    var t = r.text;
    if (!(/\b(19|20)\d\d\b/.test(t) || /\b\d{1,2}:\d\d\b/.test(t))) return false;
    var words = t.match(/[^\s\d.,:;|\/()\[\]-]+/g) || [];
    return words.length <= DATE_LINE_MAX_WORDS;
  }

  // A row of a data table, or one of its cells: a table's rows are data, however many links
  // they hold (the names in a table of packages or commands).
  function isDataCell(r) {
    var row = r.tag === 'tr' ? r : (r.tag === 'td' || r.tag === 'th') ? r.parent : null;
    return !!row && row.tag === 'tr' && row.kids.length >= DATA_ROW_CELLS;
  }

  // A quote, or a list item that reads as a sentence even though most of its words are
  // links (a linked lead-in followed by its story).
  function isLinkedSentence(r) {
    if (r.tag === 'blockquote') return true;
    if (r.tag === 'li') return r.chars >= LINKED_SENTENCE_MIN_CHARS && r.ownPunct > 0 || r.plainWords >= SENTENCE_PLAIN_WORDS;
    if (r.tag !== 'ul' && r.tag !== 'ol') return false;
    // A list of such items: a week's notes, each naming who did what.
    var items = 0, sentences = 0;
    for (var i = 0; i < r.kids.length; i++) {
      if (r.kids[i].tag !== 'li' || r.kids[i].chars === 0) continue;
      items++;
      if (isLinkedSentence(r.kids[i])) sentences++;
    }
    return items > 0 && sentences >= items * 0.5;
  }

  // The top-most records to leave out of the container, in document order. When the
  // main heading is inside, it and everything before it (kicker, breadcrumbs, tickers)
  // are left out too.
  function collectDropped(container, heading) {
    var out = [];
    var pre = new Set();
    var core = container.core = findCore(container);
    var coreAfterHeading = core && heading && core.index > heading.index && !isInside(heading, core);
    if (heading && heading !== container && isInside(heading, container) && (coreAfterHeading ||
        textBefore(container, heading) <= (container.chars - container.link) * BEFORE_HEADING_MAX_SHARE)) {
      pre.add(heading);
      for (var a = heading; a !== container; a = a.parent) {
        var sib = a.parent.kids;
        for (var s = 0; s < sib.length && sib[s] !== a; s++) if (sib[s].chars > 0 || sib[s].control) pre.add(sib[s]);
      }
    }
    markOddStyle(container);
    if (core) markEdges(container, core, pre);
    (function visit(r) {
      var drop = [];
      for (var i = 0; i < r.kids.length; i++) drop.push(pre.has(r.kids[i]) ? 'edge' : dropReason(r.kids[i], container));
      dropBoilerSections(r, drop, core);
      dropOrphanHeadings(r, drop, r === container);
      for (var j = 0; j < r.kids.length; j++) {
        if (drop[j]) r.kids[j].dropWhy = drop[j];
        if (drop[j]) out.push(r.kids[j]);
        else if (r.kids[j].kids.length) visit(r.kids[j]);
      }
    })(container);
    return out;
  }

  // The body core: the record whose own paragraphs (direct children with sentences)
  // weigh the most. Article bodies keep their paragraphs side by side.
  function findCore(container) {
    var best = null, bestMass = 0;
    (function visit(r) {
      var mass = r.value > 0 ? r.value : 0;
      for (var i = 0; i < r.kids.length; i++) {
        var k = r.kids[i];
        if (k.value > 0 && k.ownChars - k.ownLink >= SHORT_TEXT_CHARS) mass += k.value;
        if (k.kids.length) visit(k);
      }
      if (mass > bestMass) { bestMass = mass; best = r; }
    })(container);
    return best;
  }

  // Counts, for every record of the container, the unlinked text set in another type
  // than the container's main text: another size, or italics (deks, notes, credits).
  function markOddStyle(container) {
    var weight = Object.create(null);
    var dom = 0, domWeight = 0;
    var all = [];
    (function visit(r) {
      all.push(r);
      var plain = r.ownChars - r.ownLink;
      if (r.fontSize && plain > 0) {
        var k = Math.round(r.fontSize);
        weight[k] = (weight[k] || 0) + plain;
        if (weight[k] > domWeight) { domWeight = weight[k]; dom = k; }
      }
      for (var i = 0; i < r.kids.length; i++) visit(r.kids[i]);
    })(container);
    for (var j = all.length - 1; j >= 0; j--) {
      var x = all[j];
      x.domSize = dom;
      x.oddChars = 0;
      for (var q = 0; q < x.kids.length; q++) x.oddChars += x.kids[q].oddChars;
      if (dom && x.fontSize && (Math.abs(x.fontSize - dom) > dom * ODD_SIZE_RATIO || x.italic)) x.oddChars += x.ownChars - x.ownLink;
    }
  }

  // Around the core, the leading and trailing runs of blocks without a real paragraph
  // (kickers, deks, bylines, dates, share bars; sign-offs, newsletter boxes, tags) are
  // left out, at every level from the core up to the container.
  function markEdges(container, core, pre) {
    // A document of many sections has no kicker, dek or byline: around its sections only what
    // holds no sentence (titles, tables of contents, navigation) is furniture.
    var document = countHeadings(container) >= DOCUMENT_MIN_HEADINGS;
    function take(run) {
      if (!isFurniture(run)) return;
      run.forEach(function (r) {
        if (r.chars > 0 && !(document && hasSentence(r) && r.link < r.chars * LINK_LIST_DENSITY)) pre.add(r);
      });
    }
    for (var a = core; a !== container && a.parent; a = a.parent) {
      var sib = a.parent.kids;
      var at = sib.indexOf(a);
      var lead = [], tail = [], i;
      for (i = at - 1; i >= 0 && isSectionLike(sib[i], a); i--) {}
      for (var j = 0; j <= i && !(isBodyText(sib[j]) && !HEADING_TAGS[sib[j].tag]); j++) lead.push(sib[j]);
      for (i = at + 1; i < sib.length && isSectionLike(sib[i], a); i++) {}
      for (j = sib.length - 1; j >= i && !isBodyText(sib[j]); j--) tail.push(sib[j]);
      take(lead);
      take(tail);
    }
  }

  // A sibling of the core's branch that reads like one more part of it: the same element,
  // opening with a heading of its own over sentences in the body's type (the next section of
  // a document, the next panel of a product page).
  function isSectionLike(s, a) {
    if (s.tag !== a.tag || s.hint < 0 || s.teaser || s.chars === 0 || s.link >= s.chars * LINK_LIST_DENSITY) return false;
    var first = firstWithText(s);
    if (!first || !HEADING_TAGS[first.tag] || isBoilerHeading(first)) return false;
    return hasSentence(s) && s.oddChars < (s.chars - s.link) * 0.5;
  }

  function isInSeries(r) {
    while (r.parent && r.parent.parent && r.parent.chars === r.chars) r = r.parent;   // its wrappers
    if (!r.parent) return false;
    var kind = itemKind(r), like = 0, sib = r.parent.kids;
    for (var i = 0; i < sib.length; i++) if (sib[i] !== r && sib[i].chars > 0 && itemKind(sib[i]) === kind) like++;
    return like >= SERIES_MIN_ITEMS - 1;
  }

  // Most of its text is a caption or a credit: a photo of a series, not a step.
  function isCaptioned(r) {
    var captions = r.el.querySelectorAll(CAPTION_SELECTOR), n = 0;
    for (var i = 0; i < captions.length; i++) n += (captions[i].textContent || '').replace(SPACE_RE, '').length;
    return n >= (r.chars - r.link) * 0.5;
  }

  function hasShortSentence(r) {
    if (r.ownPunct > 0 && r.ownChars - r.ownLink > r.ownPunct * 2 && r.ownLink < r.ownChars * 0.5) return true;
    for (var i = 0; i < r.kids.length; i++) if (hasShortSentence(r.kids[i])) return true;
    return false;
  }

  function hasSentence(r) {
    if (r.ownPunct > 0 && r.ownChars - r.ownLink >= SHORT_TEXT_CHARS) return true;
    for (var i = 0; i < r.kids.length; i++) if (!HEADING_TAGS[r.kids[i].tag] && hasSentence(r.kids[i])) return true;
    return false;
  }

  // A run of short blocks is furniture unless it reads as prose: mostly paragraph or
  // list text in the body's type, adding up to more than a line or two.
  function isFurniture(run) {
    var plain = 0, prose = 0, odd = 0;
    for (var i = 0; i < run.length; i++) {
      plain += run[i].chars - run[i].link;
      prose += PROSE_TAGS[run[i].tag] ? run[i].chars - run[i].link : run[i].proseChars;
      odd += run[i].oddChars;
    }
    return plain < EDGE_KEEP_CHARS * 2 || prose < plain * 0.5 || odd >= plain * 0.5;
  }

  // Enough unlinked text, in the body's own type, to be part of the article rather
  // than its furniture.
  function isBodyText(r) {
    var plain = r.chars - r.link;
    return plain >= EDGE_KEEP_CHARS && r.link < r.chars * LINK_LIST_DENSITY && r.oddChars < plain * 0.5;
  }

  // A heading whose section was dropped (the next block with text is dropped, or, at
  // the end of the container, nothing follows) goes with it: "Comments", "Related".
  function dropOrphanHeadings(r, drop, atEnd) {
    for (var i = 0; i < r.kids.length; i++) {
      var k = r.kids[i];
      if (drop[i] || !isHeadingLike(k)) continue;
      var j = i + 1;
      while (j < r.kids.length && r.kids[j].chars === 0) j++;
      if (j < r.kids.length ? SECTION_DROPS[drop[j]] : atEnd) drop[i] = 'orphan';
    }
  }

  var SECTION_DROPS = toSet('teaser boilerplate edge');

  // A block that opens with a boilerplate heading ("Comments", "Leggi anche") goes as a whole;
  // a heading of that kind among its siblings takes them with it up to the next heading.
  function dropBoilerSections(r, drop, core) {
    var open = false;
    for (var i = 0; i < r.kids.length; i++) {
      var k = r.kids[i];
      if (k.chars === 0) continue;
      var holdsCore = core && (k === core || isInside(core, k));
      if (isHeadingLike(k)) open = isBoilerHeading(k);
      else if (!holdsCore && isBoilerHeading(firstWithText(k))) { if (!drop[i]) drop[i] = 'boilerplate'; continue; }
      if (open && !holdsCore && !drop[i]) drop[i] = 'boilerplate';
    }
  }

  function isBoilerHeading(r) {
    return !!r && isHeadingLike(r) && r.chars <= BOILER_HEADING_MAX_CHARS && BOILER_HEADING.test(r.el.textContent || '');
  }

  function isHeadingLike(r) {
    if (HEADING_TAGS[r.tag]) return true;
    return r.kids.length === 0 && r.chars > 0 && r.chars < SHORT_TEXT_CHARS && r.ownPunct === 0;
  }

  // ---------------------------------------------------------------------------
  // Ranges
  // ---------------------------------------------------------------------------

  // The container's content minus the dropped subtrees, as ranges in document order:
  // a dropped element ends the current range just before it, the next range starts just
  // after it. Ranges without text are left out.
  function buildRanges(container, dropped) {
    dropped = fewestCuts(dropped);
    var el = container.el.shadowRoot || container.el;   // a shadow host: its shadow tree is what shows
    var doc = container.el.ownerDocument;
    var home = el.getRootNode();
    var out = [];
    var startNode = el, startOffset = 0;
    for (var i = 0; i < dropped.length; i++) {
      var d = dropped[i].el;
      if (d.getRootNode() !== home || !el.contains(d)) continue;   // in another (nested) shadow tree
      var rg = doc.createRange();
      rg.setStart(startNode, startOffset);
      rg.setEndBefore(d);
      if (!rg.collapsed && /\S/.test(rg.toString())) out.push(rg);
      startNode = d.parentNode;
      startOffset = childIndex(d) + 1;
    }
    var last = doc.createRange();
    last.setStart(startNode, startOffset);
    last.setEnd(el, el.childNodes.length);
    if (!last.collapsed && /\S/.test(last.toString())) out.push(last);
    return out;
  }

  // The program copies at most MAX_RANGES ranges: when more blocks are left out than that, the
  // smallest of them stay in, so that the whole main text comes in that many pieces.
  function fewestCuts(dropped) {
    if (dropped.length < MAX_RANGES) return dropped;
    var bySize = dropped.slice().sort(function (a, b) { return b.chars - a.chars || a.index - b.index; });
    var kept = new Set(bySize.slice(0, MAX_RANGES - 1));
    return dropped.filter(function (r) { return kept.has(r); });
  }

  function childIndex(n) {
    var i = 0;
    while ((n = n.previousSibling)) i++;
    return i;
  }

  // ---------------------------------------------------------------------------
  // Main
  // ---------------------------------------------------------------------------

  var lastRanges = [];

  function findMainText() {
    var state = { start: now() };
    var doc = root.document;
    if (!doc || !doc.body) return [];
    var ranges = analyze(doc, state);
    // The page itself has no main text: it may be a frame around the real page.
    return ranges.length ? ranges : analyzeFrames(doc, state);
  }

  // Same-origin frames big enough to hold a page of their own, largest first.
  function analyzeFrames(doc, state) {
    var frames = doc.querySelectorAll('iframe, frame');
    var list = [];
    for (var i = 0; i < frames.length && i < MAX_FRAMES; i++) {
      var f = frames[i], inner = null;
      try { inner = f.contentDocument; } catch (e) { inner = null; }   // cross-origin: unreachable
      if (!inner || !inner.body) continue;
      var box = f.getBoundingClientRect();
      var vw = (doc.defaultView || root).innerWidth || 1;
      if (box.width < vw * FRAME_MIN_WIDTH_SHARE || box.height < FRAME_MIN_HEIGHT) continue;
      list.push({ doc: inner, area: box.width * box.height });
    }
    list.sort(function (a, b) { return b.area - a.area; });
    for (var j = 0; j < list.length; j++) {
      var ranges = analyze(list[j].doc, state);
      if (ranges.length) return ranges;
    }
    return [];
  }

  function analyze(doc, state) {
    var recs = walk(doc, state, focusRegion(doc));
    readLayout(recs, doc, state);
    score(recs);
    var heading = findMainHeading(recs, doc);
    var container = chooseContainer(recs, doc);
    if (container) container = pickArticleUnit(container, heading);
    if (standsOut(container, heading, recs)) return [];
    container.h1Count = countTag(container, 'h1');
    return buildRanges(container, collectDropped(container, container.h1Count < 2 ? heading : null));
  }

  function find() {
    try {
      lastRanges = findMainText();
    } catch (e) {
      lastRanges = [];
    }
    return lastRanges.length;
  }

  function select(index) {
    try {
      var range = lastRanges[index];
      if (!range) return false;
      var win = range.startContainer.ownerDocument.defaultView;
      if (win !== root && win.focus) win.focus();
      var selection = win.getSelection();
      selection.removeAllRanges();
      selection.addRange(range);
      // A range the browser shows nothing of (hidden text, only spaces) gives no copy.
      return /\S/.test(selection.toString());
    } catch (e) {
      return false;
    }
  }

  return { find: find, select: select };
})(window);
